#pragma once

// A floating-point picture to draw the artwork and the sample photographs into, with the few
// operations they need: painting shapes through a per-sample shader, blurring, compositing and
// reduction to 8-bit RGB. Painting happens at a multiple of the final size and is averaged down,
// which is what smooths the edges.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

struct Rgb
{
    float r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Rgb mix(Rgb a, Rgb b, float t) { return a * (1 - t) + b * t; }

inline float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
inline float smoothstep(float edge0, float edge1, float x)
{
    const float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

/** Integer hash, so every generated picture comes out the same on every machine. */
inline uint32_t hashBits(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

/** A number in [0, 1) from the integer lattice point (x, y) and a seed. */
inline float latticeRandom(int x, int y, uint32_t seed)
{
    return float(hashBits(uint32_t(x) * 0x9E3779B1U ^ hashBits(uint32_t(y) + seed * 0x85EBCA77U)) >> 8) / 16777216.0f;
}

/** Smooth value noise in [0, 1). */
inline float valueNoise(float x, float y, uint32_t seed)
{
    const int ix = int(std::floor(x)), iy = int(std::floor(y));
    const float fx = x - float(ix), fy = y - float(iy);
    const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const float top = latticeRandom(ix, iy, seed) * (1 - sx) + latticeRandom(ix + 1, iy, seed) * sx;
    const float bottom = latticeRandom(ix, iy + 1, seed) * (1 - sx) + latticeRandom(ix + 1, iy + 1, seed) * sx;
    return top * (1 - sy) + bottom * sy;
}

/** Four octaves of value noise, in [0, 1). */
inline float fractalNoise(float x, float y, uint32_t seed)
{
    float sum = 0, weight = 0.5f, total = 0;
    for (int octave = 0; octave < 4; ++octave) {
        sum += valueNoise(x, y, seed + uint32_t(octave)) * weight;
        total += weight;
        x *= 2.03f;
        y *= 2.03f;
        weight *= 0.5f;
    }
    return sum / total;
}

/** Pixels with coverage: colour premultiplied by alpha, so blurring and compositing stay correct. */
class Raster
{
public:
    struct Pixel
    {
        Rgb colour;
        float alpha = 0;
    };

    /** A picture of width x height final pixels, drawn at `scale` samples per pixel each way. */
    Raster(int width, int height, int scale)
        : m_width(width * scale), m_height(height * scale), m_scale(scale), m_pixels(size_t(m_width) * size_t(m_height))
    {
    }

    int width() const { return m_width; }
    int height() const { return m_height; }
    int scale() const { return m_scale; }
    Pixel &at(int x, int y) { return m_pixels[size_t(y) * size_t(m_width) + size_t(x)]; }
    const Pixel &at(int x, int y) const { return m_pixels[size_t(y) * size_t(m_width) + size_t(x)]; }

    /**
     * Calls shader(x, y, pixel) for every sample inside the box (x0, y0)-(x1, y1), given in final
     * pixels; x and y are the sample's centre in final pixels.
     */
    template<typename Shader>
    void paint(float x0, float y0, float x1, float y1, Shader &&shader)
    {
        const int left = std::max(0, int(std::floor(x0 * float(m_scale))));
        const int top = std::max(0, int(std::floor(y0 * float(m_scale))));
        const int right = std::min(m_width, int(std::ceil(x1 * float(m_scale))));
        const int bottom = std::min(m_height, int(std::ceil(y1 * float(m_scale))));
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                shader((float(x) + 0.5f) / float(m_scale), (float(y) + 0.5f) / float(m_scale), at(x, y));
    }

    /** Lays `colour` over a pixel with the given opacity. */
    static void blend(Pixel &pixel, Rgb colour, float opacity)
    {
        pixel.colour = pixel.colour * (1 - opacity) + colour * opacity;
        pixel.alpha = pixel.alpha * (1 - opacity) + opacity;
    }

    /** Gaussian blur with the given radius in final pixels. */
    void blur(float sigma)
    {
        const float s = sigma * float(m_scale);
        const int reach = std::max(1, int(std::ceil(s * 3)));
        std::vector<float> kernel(size_t(2 * reach + 1));
        float sum = 0;
        for (int i = -reach; i <= reach; ++i)
            sum += kernel[size_t(i + reach)] = std::exp(-float(i * i) / (2 * s * s));
        for (float &k : kernel)
            k /= sum;
        std::vector<Pixel> line;
        auto pass = [&](int count, int length, auto pixelAt) {
            line.resize(size_t(length));
            for (int c = 0; c < count; ++c) {
                for (int i = 0; i < length; ++i) {
                    Pixel acc;
                    for (int k = -reach; k <= reach; ++k) {
                        const Pixel &p = pixelAt(c, std::clamp(i + k, 0, length - 1));
                        const float w = kernel[size_t(k + reach)];
                        acc.colour = acc.colour + p.colour * w;
                        acc.alpha += p.alpha * w;
                    }
                    line[size_t(i)] = acc;
                }
                for (int i = 0; i < length; ++i)
                    pixelAt(c, i) = line[size_t(i)];
            }
        };
        pass(m_height, m_width, [this](int row, int i) -> Pixel & { return at(i, row); });
        pass(m_width, m_height, [this](int column, int i) -> Pixel & { return at(column, i); });
    }

    /** Lays `layer`, of the same size, over this picture. */
    void composite(const Raster &layer, float opacity = 1)
    {
        for (size_t i = 0; i < m_pixels.size(); ++i) {
            const Pixel &top = layer.m_pixels[i];
            Pixel &p = m_pixels[i];
            p.colour = p.colour * (1 - top.alpha * opacity) + top.colour * opacity;
            p.alpha = p.alpha * (1 - top.alpha * opacity) + top.alpha * opacity;
        }
    }

    /** Averages each scale x scale block into one pixel: 8-bit RGB rows, top row first. */
    std::vector<unsigned char> toRgb8() const
    {
        const int w = m_width / m_scale, h = m_height / m_scale;
        std::vector<unsigned char> out(size_t(w) * size_t(h) * 3);
        const float norm = 1.0f / float(m_scale * m_scale);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                Rgb sum;
                for (int j = 0; j < m_scale; ++j)
                    for (int i = 0; i < m_scale; ++i)
                        sum = sum + at(x * m_scale + i, y * m_scale + j).colour;
                sum = sum * norm;
                unsigned char *o = &out[(size_t(y) * size_t(w) + size_t(x)) * 3];
                o[0] = static_cast<unsigned char>(std::lround(clamp01(sum.r) * 255));
                o[1] = static_cast<unsigned char>(std::lround(clamp01(sum.g) * 255));
                o[2] = static_cast<unsigned char>(std::lround(clamp01(sum.b) * 255));
            }
        return out;
    }

private:
    int m_width;
    int m_height;
    int m_scale;
    std::vector<Pixel> m_pixels;
};
