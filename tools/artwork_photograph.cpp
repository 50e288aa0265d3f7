// The decorative photograph: a seven-spot ladybird climbing a grass stem below its seed head, in
// sunlight, against a meadow far out of focus. Everything is drawn from shapes and lit by hand;
// the blur of the background and of a second, distant grass head gives the depth of a close-up.

#include "artwork.h"
#include "jpegwriter.h"
#include "raster.h"

#include <array>

namespace {

constexpr int Width = 166;
constexpr int Height = 314;
constexpr int Supersampling = 3;

struct Vec
{
    float x = 0, y = 0;
};
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec operator*(Vec a, float k) { return {a.x * k, a.y * k}; }
float dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
float length(Vec a) { return std::sqrt(dot(a, a)); }
Vec normalised(Vec a) { return a * (1 / length(a)); }
Vec rotated(Vec a, float radians)
{
    const float c = std::cos(radians), s = std::sin(radians);
    return {a.x * c - a.y * s, a.x * s + a.y * c};
}

struct Vec3
{
    float x = 0, y = 0, z = 0;
};
Vec3 normalised(Vec3 a)
{
    const float n = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return {a.x / n, a.y / n, a.z / n};
}
float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Sun from the upper left, a little in front; a weak greenish bounce from the meadow below right.
const Vec3 sun = normalised({-0.55f, -0.6f, 0.6f});
const Vec3 bounce = normalised({0.5f, 0.7f, 0.5f});
const Vec3 halfway = normalised({sun.x, sun.y, sun.z + 1});

struct Material
{
    Rgb colour;
    float ambient = 0.32f;
    float gloss = 0;
    float shininess = 40;
    float sheen = 0;
};

Rgb lit(const Material &m, Vec3 n)
{
    const float diffuse = std::max(0.0f, dot(n, sun));
    const float fill = std::max(0.0f, dot(n, bounce));
    Rgb c = m.colour * (m.ambient + 0.85f * diffuse) + Rgb{0.05f, 0.09f, 0.02f} * fill;
    const float highlight = std::max(0.0f, dot(n, halfway));
    const float specular = m.gloss * std::pow(highlight, m.shininess) + m.sheen * std::pow(highlight, 5.0f);
    return c + Rgb{1.0f, 0.98f, 0.9f} * specular;
}

/** A point's coordinates in a frame: `across` to the right of the axis, `along` the axis. */
struct Frame
{
    Vec origin;
    Vec axis;
    float across(Vec p) const { return dot(p - origin, Vec{-axis.y, axis.x}); }
    float along(Vec p) const { return dot(p - origin, axis); }
    /** A surface normal given in frame coordinates, turned into picture coordinates. */
    Vec3 toPicture(float nAcross, float nAlong, float nz) const
    {
        const Vec side{-axis.y, axis.x};
        return normalised({side.x * nAcross + axis.x * nAlong, side.y * nAcross + axis.y * nAlong, nz});
    }
};

// ---------------------------------------------------------------------------------------------
// Background: a sunlit meadow, entirely out of focus.

Rgb meadowColour(float x, float y)
{
    const float t = y / float(Height);
    const std::array<Rgb, 4> stops{Rgb{0.86f, 0.84f, 0.50f}, Rgb{0.58f, 0.68f, 0.27f}, Rgb{0.30f, 0.47f, 0.13f},
                                   Rgb{0.13f, 0.27f, 0.07f}};
    const float pos = std::clamp(t * 1.15f - 0.05f, 0.0f, 0.999f) * float(stops.size() - 1);
    const int i = int(pos);
    Rgb c = mix(stops[size_t(i)], stops[size_t(i) + 1], smoothstep(0, 1, pos - float(i)));
    // Large patches of sunlit and shaded grass.
    const float n = fractalNoise(x / 55.0f, y / 70.0f, 11);
    c = c * (0.75f + 0.5f * n);
    const float sunny = smoothstep(0.55f, 0.8f, fractalNoise(x / 40.0f + 3, y / 50.0f, 23));
    c = mix(c, Rgb{0.92f, 0.88f, 0.45f}, sunny * 0.45f * (1.1f - t));
    return c;
}

void paintMeadow(Raster &picture)
{
    picture.paint(0, 0, Width, Height, [](float x, float y, Raster::Pixel &p) {
        p.colour = meadowColour(x, y);
        p.alpha = 1;
    });
    // Blades of grass nearer the lens, as long soft streaks.
    struct Blade
    {
        Vec from, to;
        float width;
        Rgb colour;
        float opacity;
    };
    const Blade blades[] = {
        {{-10, 330}, {60, 120}, 7, {0.18f, 0.33f, 0.08f}, 0.8f},
        {{20, 330}, {5, 60}, 5, {0.42f, 0.56f, 0.18f}, 0.6f},
        {{175, 250}, {118, 40}, 6, {0.62f, 0.70f, 0.30f}, 0.55f},
        {{150, 330}, {185, 140}, 9, {0.16f, 0.30f, 0.07f}, 0.85f},
        {{130, 330}, {140, 170}, 4, {0.35f, 0.50f, 0.14f}, 0.6f},
        {{-5, 150}, {40, -10}, 5, {0.78f, 0.80f, 0.42f}, 0.45f},
    };
    for (const Blade &blade : blades) {
        const Vec axis = normalised(blade.to - blade.from);
        const float len = length(blade.to - blade.from);
        const Frame frame{blade.from, axis};
        picture.paint(std::min(blade.from.x, blade.to.x) - blade.width, std::min(blade.from.y, blade.to.y) - blade.width,
                      std::max(blade.from.x, blade.to.x) + blade.width, std::max(blade.from.y, blade.to.y) + blade.width,
                      [&](float x, float y, Raster::Pixel &p) {
                          const float a = frame.along({x, y});
                          const float taper = blade.width * (1 - 0.7f * clamp01(a / len));
                          if (a >= 0 && a <= len && std::abs(frame.across({x, y})) < taper)
                              Raster::blend(p, blade.colour, blade.opacity);
                      });
    }
    picture.blur(6);
    // Highlights of the sun on dew and seed heads far behind, turned into discs by the lens.
    struct Disc
    {
        Vec centre;
        float radius;
        float opacity;
    };
    const Disc discs[] = {{{28, 40}, 11, 0.35f},  {{132, 22}, 14, 0.28f}, {{150, 92}, 9, 0.3f},
                          {{18, 118}, 8, 0.22f},  {{60, 14}, 7, 0.3f},    {{118, 128}, 6, 0.2f},
                          {{140, 178}, 10, 0.16f}, {{36, 196}, 7, 0.14f}, {{100, 60}, 5, 0.2f}};
    for (const Disc &disc : discs) {
        picture.paint(disc.centre.x - disc.radius - 2, disc.centre.y - disc.radius - 2, disc.centre.x + disc.radius + 2,
                      disc.centre.y + disc.radius + 2, [&](float x, float y, Raster::Pixel &p) {
                          const float d = length(Vec{x, y} - disc.centre);
                          const float body = 1 - smoothstep(disc.radius - 1.5f, disc.radius + 0.5f, d);
                          const float rim = 0.75f + 0.25f * smoothstep(disc.radius * 0.5f, disc.radius, d);
                          Raster::blend(p, Rgb{1.0f, 0.97f, 0.72f}, body * rim * disc.opacity);
                      });
    }
}

// ---------------------------------------------------------------------------------------------
// A grass stem with its seed head: a spike of alternate spikelets, each ending in a fine awn.

struct GrassHead
{
    Vec base, control, top;   // the stem, a quadratic curve from below the picture to the head's tip
    float baseWidth = 3.2f;   // half-widths of the stem
    float topWidth = 1.6f;
    float headFrom = 0.72f;   // where on the stem the spikelets begin, 0 to 1
    int spikelets = 9;
    float spikeletLength = 30;
    float spikeletWidth = 5.5f;
    float awnLength = 22;
    float dim = 1;            // below 1 for grass further away, in haze
};

Vec curvePoint(const GrassHead &g, float t)
{
    const float u = 1 - t;
    return g.base * (u * u) + g.control * (2 * u * t) + g.top * (t * t);
}

Vec curveTangent(const GrassHead &g, float t)
{
    return normalised((g.control - g.base) * (2 * (1 - t)) + (g.top - g.control) * (2 * t));
}

const Rgb stemGreen{0.45f, 0.58f, 0.20f};
const Rgb straw{0.93f, 0.83f, 0.50f};
const Rgb spikeletGreen{0.58f, 0.65f, 0.27f};

void paintStem(Raster &picture, std::vector<float> *solid, const GrassHead &g)
{
    constexpr int Segments = 120;
    for (int i = 0; i < Segments; ++i) {
        const float t0 = float(i) / Segments, t1 = float(i + 1) / Segments;
        const Vec a = curvePoint(g, t0), b = curvePoint(g, t1);
        const float w = g.baseWidth + (g.topWidth - g.baseWidth) * t0;
        const Frame frame{a, normalised(b - a)};
        const float len = length(b - a);
        const Material stem{mix(stemGreen, straw, smoothstep(0.6f, 1.0f, t0) * 0.5f) * g.dim, 0.35f, 0.25f, 25, 0.05f};
        picture.paint(std::min(a.x, b.x) - w - 1, std::min(a.y, b.y) - w - 1, std::max(a.x, b.x) + w + 1,
                      std::max(a.y, b.y) + w + 1, [&](float x, float y, Raster::Pixel &p) {
                          const float along = frame.along({x, y});
                          const float across = frame.across({x, y});
                          if (along < -0.2f || along > len + 0.2f || std::abs(across) >= w)
                              return;
                          const float s = across / w;
                          // Fine ridges run the length of the stem.
                          const float ridge = 0.93f + 0.07f * std::cos(s * 9.0f);
                          p.colour = lit(stem, frame.toPicture(s, 0, std::sqrt(1 - s * s))) * ridge;
                          p.alpha = 1;
                          if (solid)
                              (*solid)[size_t(int(y * float(picture.scale()))) * size_t(picture.width()) +
                                       size_t(int(x * float(picture.scale())))] = 1;
                      });
    }
}

void paintFloret(Raster &picture, std::vector<float> *solid, Vec attach, Vec axis, float len, float halfWidth,
                 float awnLength, float dim)
{
    const Frame frame{attach, axis};
    const Vec tip = attach + axis * len;
    const float reach = len + awnLength + 2;
    const float margin = halfWidth + 4;
    picture.paint(std::min(attach.x, attach.x + axis.x * reach) - margin, std::min(attach.y, attach.y + axis.y * reach) - margin,
                  std::max(attach.x, attach.x + axis.x * reach) + margin, std::max(attach.y, attach.y + axis.y * reach) + margin,
                  [&](float x, float y, Raster::Pixel &p) {
                      const Vec point{x, y};
                      const float along = frame.along(point);
                      const float across = frame.across(point);
                      const float t = along / len;
                      if (t > 0 && t < 1) {
                          // Widest a third of the way up, drawn to a point at the tip.
                          const float w = halfWidth * std::pow(std::sin(3.14159f * std::pow(t, 0.75f)), 0.8f);
                          if (std::abs(across) < w) {
                              const float s = across / w;
                              const float nz = std::sqrt(1 - s * s);
                              Rgb base = mix(spikeletGreen, straw, smoothstep(0.05f, 0.8f, t));
                              // The glume's keel and the veins beside it.
                              if (std::abs(s + 0.15f) < 0.08f)
                                  base = base * 0.74f;
                              else if (std::abs(std::abs(s + 0.15f) - 0.5f) < 0.05f)
                                  base = base * 0.88f;
                              const Material glume{base * dim, 0.34f, 0.4f, 30, 0.08f};
                              Rgb c = lit(glume, frame.toPicture(s * 0.9f, 0, nz));
                              // Sun shining through the thin edges.
                              c = c + Rgb{0.28f, 0.24f, 0.08f} * (std::pow(1 - nz, 2.0f) * dim);
                              p.colour = c;
                              p.alpha = 1;
                              if (solid)
                                  (*solid)[size_t(int(y * float(picture.scale()))) * size_t(picture.width()) +
                                           size_t(int(x * float(picture.scale())))] = 1;
                              return;
                          }
                      }
                      // The awn continues the floret with a slight bend outwards.
                      if (along >= len - 1 && along < len + awnLength && length(point - tip) < awnLength + 1) {
                          const float out = along - len;
                          const float bend = 0.01f * out * out;
                          const float w = 0.45f * (1 - 0.5f * out / awnLength);
                          if (std::abs(across - bend) < w)
                              Raster::blend(p, straw * (1.05f * dim), 0.85f);
                      }
                  });
}

/** A spikelet of three florets, each overlapping the one below it. */
void paintSpikelet(Raster &picture, std::vector<float> *solid, Vec attach, Vec axis, float len, float halfWidth,
                   float awnLength, float dim, float side)
{
    for (int j = 0; j < 3; ++j) {
        const Vec at = attach + axis * (float(j) * len * 0.2f);
        const Vec floretAxis = rotated(axis, side * (float(j) - 0.7f) * 0.16f);
        paintFloret(picture, solid, at, floretAxis, len * (1 - 0.13f * float(j)), halfWidth * (1 - 0.1f * float(j)),
                    awnLength * (0.6f + 0.25f * float(j)), dim);
    }
}

void paintGrassHead(Raster &picture, std::vector<float> *solid, const GrassHead &g)
{
    paintStem(picture, solid, g);
    // Alternate spikelets, shorter towards the top; the top one continues the stem.
    for (int k = 0; k < g.spikelets; ++k) {
        const float f = float(k) / float(g.spikelets - 1);
        const float t = g.headFrom + (0.985f - g.headFrom) * f;
        const Vec at = curvePoint(g, t);
        const Vec tangent = curveTangent(g, t);
        const float side = (k % 2 == 0) ? 1.0f : -1.0f;
        const float angle = (k == g.spikelets - 1) ? 0.0f : side * (0.5f - 0.25f * f);
        const float len = g.spikeletLength * (1 - 0.3f * f);
        paintSpikelet(picture, solid, at, rotated(tangent, angle), len, g.spikeletWidth * (1 - 0.25f * f),
                      g.awnLength * (0.8f + 0.3f * f), g.dim, side);
    }
}

// ---------------------------------------------------------------------------------------------
// The ladybird, head up the stem. Its own frame: `across` to its right, `along` towards its head.

struct Ellipse
{
    float across, along;   // centre
    float semiAcross, semiAlong;
    /** The point in coordinates where the ellipse is the unit circle; true when it lies inside. */
    bool unit(float a, float l, float &x, float &y) const
    {
        x = (a - across) / semiAcross;
        y = (l - along) / semiAlong;
        return x * x + y * y < 1;
    }
};

void paintLeg(Raster &picture, const Frame &frame, const std::array<Vec, 3> &joints)
{
    const Material chitin{{0.05f, 0.04f, 0.035f}, 0.5f, 0.6f, 30, 0.1f};
    // Joints are given in the ladybird's frame; each segment is shaded as a round rod.
    auto toPicture = [&](Vec j) {
        const Vec side{-frame.axis.y, frame.axis.x};
        return frame.origin + side * j.x + frame.axis * j.y;
    };
    for (int i = 0; i < 2; ++i) {
        const Vec a = toPicture(joints[size_t(i)]), b = toPicture(joints[size_t(i) + 1]);
        const float w = i == 0 ? 1.3f : 1.0f;
        const Frame rod{a, normalised(b - a)};
        const float len = length(b - a);
        picture.paint(std::min(a.x, b.x) - w, std::min(a.y, b.y) - w, std::max(a.x, b.x) + w, std::max(a.y, b.y) + w,
                      [&](float x, float y, Raster::Pixel &p) {
                          const float along = std::clamp(rod.along({x, y}), 0.0f, len);
                          const Vec nearest = a + rod.axis * along;
                          const float d = length(Vec{x, y} - nearest);
                          if (d >= w)
                              return;
                          const float s = rod.across({x, y}) / w;
                          p.colour = lit(chitin, rod.toPicture(s, 0, std::sqrt(std::max(0.0f, 1 - s * s))));
                          p.alpha = 1;
                      });
    }
}

void paintLadybird(Raster &picture, const std::vector<float> &solid, Vec centre, Vec headward)
{
    const Frame frame{centre, headward};
    const Ellipse elytra{0, -3, 15, 16.5f};
    const Ellipse pronotum{0, 13.5f, 10.5f, 6.5f};
    const Ellipse head{0, 20.5f, 6.2f, 3.8f};

    // Its shadow on the stem and the spikelets, thrown down and to the right.
    const Vec shadowShift{3.5f, 5.0f};
    picture.paint(centre.x - 30, centre.y - 30, centre.x + 36, centre.y + 38, [&](float x, float y, Raster::Pixel &p) {
        const size_t index = size_t(int(y * float(picture.scale()))) * size_t(picture.width()) +
                             size_t(int(x * float(picture.scale())));
        if (solid[index] == 0)
            return;
        const Vec q = Vec{x, y} - shadowShift;
        const float a = frame.across(q), l = frame.along(q);
        const float r = std::sqrt(a * a / (17.0f * 17.0f) + (l - 3) * (l - 3) / (24.0f * 24.0f));
        p.colour = p.colour * (1 - 0.55f * (1 - smoothstep(0.8f, 1.15f, r)));
    });

    // Legs reach out from under the body and grip the stem.
    for (float side : {-1.0f, 1.0f}) {
        paintLeg(picture, frame, {Vec{side * 6, 10}, Vec{side * 12.5f, 15}, Vec{side * 4, 23}});
        paintLeg(picture, frame, {Vec{side * 12, -1}, Vec{side * 16.5f, -3}, Vec{side * 15, -8}});
        paintLeg(picture, frame, {Vec{side * 8, -13}, Vec{side * 11.5f, -20}, Vec{side * 3.5f, -23.5f}});
        // Antennae: short and clubbed.
        paintLeg(picture, frame, {Vec{side * 2.5f, 23}, Vec{side * 4.5f, 25.5f}, Vec{side * 6.5f, 26.5f}});
    }

    const Material black{{0.035f, 0.03f, 0.03f}, 0.45f, 1.2f, 90, 0.18f};
    const Material cream{{0.93f, 0.91f, 0.82f}, 0.45f, 0.6f, 45, 0.1f};
    const Material red{{0.86f, 0.11f, 0.05f}, 0.28f, 1.4f, 90, 0.2f};

    picture.paint(centre.x - 30, centre.y - 30, centre.x + 30, centre.y + 30, [&](float x, float y, Raster::Pixel &p) {
        const float a = frame.across({x, y}), l = frame.along({x, y});
        float u, v;
        if (elytra.unit(a, l, u, v)) {
            const float nz = std::sqrt(1 - u * u - v * v);
            const Vec3 n = frame.toPicture(u * 0.9f, v * 0.9f, nz);
            // Seven spots: one astride the seam behind the pronotum, three on each wing case.
            struct Spot
            {
                float across, along, radius;
            };
            const Spot spots[] = {{0, 10.2f, 3.6f},  {-8.8f, 4.5f, 3.3f}, {8.8f, 4.5f, 3.3f}, {-9.5f, -5, 4.1f},
                                  {9.5f, -5, 4.1f},  {-5, -12.5f, 3.2f}, {5, -12.5f, 3.2f}};
            bool spot = false;
            for (const Spot &s : spots)
                spot = spot || (a - s.across) * (a - s.across) + (l - s.along) * (l - s.along) < s.radius * s.radius;
            Rgb c = lit(spot ? black : red, n);
            // The seam between the wing cases, and a darker rim where the dome turns away.
            if (std::abs(a) < 0.5f)
                c = c * 0.25f;
            c = c * (0.7f + 0.3f * smoothstep(0.0f, 0.35f, nz));
            p.colour = c;
            p.alpha = 1;
            return;
        }
        if (pronotum.unit(a, l, u, v)) {
            const float nz = std::sqrt(1 - u * u - v * v);
            const bool patch = (std::abs(a) - 7.2f) * (std::abs(a) - 7.2f) / 7.0f + (l - 15.2f) * (l - 15.2f) / 6.0f < 1;
            p.colour = lit(patch ? cream : black, frame.toPicture(u * 0.8f, v * 0.8f, nz));
            p.alpha = 1;
            return;
        }
        if (head.unit(a, l, u, v)) {
            const float nz = std::sqrt(1 - u * u - v * v);
            const bool eye = (std::abs(a) - 2.6f) * (std::abs(a) - 2.6f) + (l - 21.2f) * (l - 21.2f) < 1.3f;
            p.colour = lit(eye ? cream : black, frame.toPicture(u * 0.7f, v * 0.7f, nz));
            p.alpha = 1;
        }
    });
}

// ---------------------------------------------------------------------------------------------

/** The lens holds only the ladybird's depth sharp: the stem softens towards the picture's foot and top. */
void focusFallOff(Raster &picture)
{
    Raster soft = picture;
    soft.blur(1.6f);
    for (int y = 0; y < picture.height(); ++y) {
        const float fy = (float(y) + 0.5f) / float(picture.scale());
        const float weight = std::max(smoothstep(235, Height, fy), 0.6f * (1 - smoothstep(0, 40, fy)));
        for (int x = 0; x < picture.width(); ++x) {
            Raster::Pixel &p = picture.at(x, y);
            p.colour = mix(p.colour, soft.at(x, y).colour, weight);
        }
    }
}

void finish(std::vector<unsigned char> &rgb)
{
    // A gentle vignette, a warm grade and the grain of a real exposure.
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            unsigned char *px = &rgb[(size_t(y) * Width + size_t(x)) * 3];
            const float dx = (float(x) - Width / 2.0f) / Width, dy = (float(y) - Height / 2.0f) / Height;
            const float vignette = 1 - 0.55f * (dx * dx + dy * dy);
            const float grain = (latticeRandom(x, y, 97) - 0.5f) * 5.0f;
            const float warm[3] = {1.03f, 1.0f, 0.94f};
            for (int c = 0; c < 3; ++c)
                px[c] = static_cast<unsigned char>(std::clamp(std::lround(float(px[c]) * vignette * warm[c] + grain), 0L, 255L));
        }
}

} // namespace

std::vector<unsigned char> makePhotograph()
{
    Raster picture(Width, Height, Supersampling);
    paintMeadow(picture);

    // A second grass head further back, soft and hazy.
    Raster distant(Width, Height, Supersampling);
    GrassHead far{{20, 330}, {30, 200}, {38, 70}};
    far.baseWidth = 2.2f;
    far.topWidth = 1.2f;
    far.headFrom = 0.68f;
    far.spikelets = 8;
    far.spikeletLength = 22;
    far.spikeletWidth = 4;
    far.awnLength = 16;
    far.dim = 0.95f;
    paintGrassHead(distant, nullptr, far);
    distant.blur(2.2f);
    picture.composite(distant, 0.7f);

    GrassHead near{{106, 330}, {90, 190}, {92, 18}};
    near.headFrom = 0.6f;
    near.spikelets = 11;
    near.spikeletWidth = 6;
    std::vector<float> solid(size_t(picture.width()) * size_t(picture.height()));
    paintGrassHead(picture, &solid, near);

    constexpr float ladybirdAt = 0.45f;
    const Vec tangent = curveTangent(near, ladybirdAt);
    paintLadybird(picture, solid, curvePoint(near, ladybirdAt), rotated(tangent, -0.14f));
    focusFallOff(picture);

    std::vector<unsigned char> rgb = picture.toRgb8();
    finish(rgb);
    JpegOptions options;
    options.quality = 92;
    options.dotsPerInch = 300;
    return encodeJpeg(Width, Height, rgb, options);
}
