// Small holiday landscapes for the demo folder: sky, sun, ridges of hills, water or a meadow.
// Each is drawn from a few colours and noise, so the samples differ at a glance in the file list.

#include "samplescenes.h"

#include "raster.h"

namespace {

struct Palette
{
    Rgb skyTop, skyHorizon, sun;
    Rgb ridges[3];
    Rgb ground, groundFar;
    float horizon;     // of the picture's height
    float sunX, sunY;  // of the picture's size
    float sunRadius;   // of the picture's height
    bool water;
};

Palette paletteFor(SceneKind kind)
{
    switch (kind) {
    case SceneKind::Beach:
        return {{0.16f, 0.45f, 0.85f}, {0.70f, 0.86f, 0.97f}, {1.0f, 0.97f, 0.80f},
                {{0.55f, 0.68f, 0.80f}, {0.35f, 0.55f, 0.45f}, {0.20f, 0.42f, 0.28f}},
                {0.93f, 0.82f, 0.58f}, {0.10f, 0.42f, 0.70f}, 0.52f, 0.78f, 0.18f, 0.07f, true};
    case SceneKind::Sunset:
        return {{0.25f, 0.12f, 0.38f}, {0.99f, 0.55f, 0.22f}, {1.0f, 0.88f, 0.45f},
                {{0.45f, 0.22f, 0.35f}, {0.28f, 0.13f, 0.25f}, {0.14f, 0.07f, 0.14f}},
                {0.16f, 0.08f, 0.14f}, {0.55f, 0.28f, 0.30f}, 0.62f, 0.42f, 0.47f, 0.1f, true};
    case SceneKind::Mountains:
        return {{0.20f, 0.42f, 0.78f}, {0.78f, 0.88f, 0.95f}, {1.0f, 1.0f, 0.90f},
                {{0.70f, 0.76f, 0.86f}, {0.40f, 0.50f, 0.62f}, {0.18f, 0.36f, 0.22f}},
                {0.30f, 0.58f, 0.22f}, {0.40f, 0.62f, 0.30f}, 0.66f, 0.22f, 0.16f, 0.06f, false};
    case SceneKind::Garden:
        break;
    }
    return {{0.35f, 0.60f, 0.92f}, {0.85f, 0.93f, 0.98f}, {1.0f, 0.98f, 0.85f},
            {{0.30f, 0.50f, 0.30f}, {0.16f, 0.38f, 0.15f}, {0.10f, 0.30f, 0.10f}},
            {0.28f, 0.60f, 0.18f}, {0.36f, 0.62f, 0.24f}, 0.42f, 0.85f, 0.12f, 0.06f, false};
}

/** Height of ridge `layer` above the horizon at x, in pixels. */
float ridgeHeight(const Scene &scene, int layer, float x, float width, float height)
{
    const float scale = scene.kind == SceneKind::Mountains ? 0.32f - 0.08f * float(layer) : 0.12f - 0.03f * float(layer);
    const float n = fractalNoise(x / width * (2.5f + float(layer)), float(layer) * 7.3f, scene.seed * 31 + uint32_t(layer));
    if (scene.kind == SceneKind::Mountains && layer == 0) {
        // Folded ridges: sharp peaks where the noise crosses its middle.
        const float peak = 1 - std::abs(2 * fractalNoise(x / width * 3.0f, 1.7f, scene.seed * 17) - 1);
        return height * scale * (0.15f + 0.9f * peak * peak);
    }
    return height * scale * (0.35f + n);
}

} // namespace

std::vector<unsigned char> drawScene(const Scene &scene, int width, int height)
{
    const Palette pal = paletteFor(scene.kind);
    const float w = float(width), h = float(height);
    const float horizon = pal.horizon * h;
    const float sunX = pal.sunX * w, sunY = pal.sunY * h, sunR = pal.sunRadius * h;
    const int layers = scene.kind == SceneKind::Beach ? 1 : 3;
    Raster picture(width, height, 2);
    // Ridge tops per sample column, worked out once rather than for every sample.
    std::vector<float> ridgeTops(size_t(picture.width()) * size_t(layers));
    for (int column = 0; column < picture.width(); ++column)
        for (int layer = 0; layer < layers; ++layer)
            ridgeTops[size_t(column * layers + layer)] =
                horizon - ridgeHeight(scene, layer, (float(column) + 0.5f) / 2, w, h) + float(layer) * h * 0.03f;

    picture.paint(0, 0, w, h, [&](float x, float y, Raster::Pixel &p) {
        // The sky, with the sun's glow; reflected in water below the horizon.
        auto sky = [&](float sy) {
            Rgb c = mix(pal.skyTop, pal.skyHorizon, smoothstep(0, horizon, sy));
            const float d = std::hypot(x - sunX, sy - sunY);
            c = c + pal.sun * (0.45f * std::exp(-d / (sunR * 3)));
            if (d < sunR)
                c = pal.sun;
            const float cloud = smoothstep(0.62f, 0.8f, fractalNoise(x / 60, sy / 18, scene.seed));
            return mix(c, Rgb{1, 1, 1} * 0.97f, cloud * 0.7f * (1 - smoothstep(horizon * 0.6f, horizon, sy)));
        };
        Rgb c;
        if (y < horizon) {
            c = sky(y);
        } else if (pal.water) {
            const float ripple = std::sin(y * 1.7f + 4 * fractalNoise(x / 25, y / 4, scene.seed + 5));
            c = mix(pal.groundFar, sky(2 * horizon - y + ripple * 2), 0.45f);
            if (std::abs(x - sunX) < sunR * (1.2f + (y - horizon) / h) && ripple > 0.3f)
                c = mix(c, pal.sun, 0.6f);
        } else {
            const float t = (y - horizon) / (h - horizon);
            c = mix(pal.groundFar, pal.ground, t) * (0.85f + 0.3f * fractalNoise(x / 12, y / 6, scene.seed + 9));
        }
        // Ridges of hills, far ones paler, standing on the horizon.
        for (int layer = 0; layer < layers; ++layer) {
            const float top = ridgeTops[size_t(int(x * 2) * layers + layer)];
            const float foot = horizon + (pal.water ? 0.0f : float(layer) * h * 0.04f);
            if (y >= top && y < foot) {
                c = pal.ridges[layer] * (0.9f + 0.2f * fractalNoise(x / 20, y / 20, scene.seed + uint32_t(layer)));
                if (scene.kind == SceneKind::Mountains && layer == 0 && top < horizon - h * 0.2f &&
                    y < top + h * 0.04f + h * 0.02f * valueNoise(x / 4, 0, scene.seed))
                    c = Rgb{0.96f, 0.97f, 1.0f}; // snow
            }
        }
        p.colour = c;
        p.alpha = 1;
    });

    if (scene.kind == SceneKind::Beach) {
        // A sandy shore across the foot with a line of surf.
        picture.paint(0, h * 0.7f, w, h, [&](float x, float y, Raster::Pixel &p) {
            const float edge = h * 0.78f + h * 0.05f * std::sin(x / w * 5 + float(scene.seed));
            if (y > edge)
                p.colour = pal.ground * (0.9f + 0.2f * fractalNoise(x / 5, y / 5, scene.seed));
            else if (y > edge - 3)
                p.colour = Rgb{0.97f, 0.98f, 1.0f};
        });
    }
    if (scene.kind == SceneKind::Garden || scene.kind == SceneKind::Mountains) {
        // Flowers scattered over the meadow, larger nearer the camera.
        const Rgb colours[] = {{0.95f, 0.20f, 0.25f}, {0.98f, 0.85f, 0.15f}, {0.85f, 0.35f, 0.85f}, {1, 1, 1}, {0.95f, 0.5f, 0.1f}};
        const int count = scene.kind == SceneKind::Garden ? 90 : 35;
        for (int i = 0; i < count; ++i) {
            const float fy = latticeRandom(i, 1, scene.seed);
            const float y = horizon + (h - horizon) * (0.05f + 0.95f * fy);
            const float x = w * latticeRandom(i, 2, scene.seed);
            const float r = 1.2f + 5.0f * fy * fy;
            const Rgb petal = colours[hashBits(uint32_t(i) + scene.seed) % 5];
            picture.paint(x - r, y - r, x + r, y + r, [&](float px, float py, Raster::Pixel &p) {
                const float d = std::hypot(px - x, py - y);
                const float angle = std::atan2(py - y, px - x);
                if (d < r * (0.75f + 0.25f * std::cos(angle * 5)))
                    p.colour = d < r * 0.3f ? Rgb{0.95f, 0.75f, 0.1f} : petal * (0.8f + 0.2f * (1 - d / r));
            });
        }
    }

    std::vector<unsigned char> rgb = picture.toRgb8();
    if (scene.sepia)
        for (size_t i = 0; i < rgb.size(); i += 3) {
            const float grey = (0.3f * rgb[i] + 0.59f * rgb[i + 1] + 0.11f * rgb[i + 2]) / 255.0f;
            const Rgb tone = Rgb{1.0f, 0.86f, 0.66f} * (0.15f + 0.85f * grey);
            rgb[i] = static_cast<unsigned char>(clamp01(tone.r) * 255);
            rgb[i + 1] = static_cast<unsigned char>(clamp01(tone.g) * 255);
            rgb[i + 2] = static_cast<unsigned char>(clamp01(tone.b) * 255);
        }
    return rgb;
}
