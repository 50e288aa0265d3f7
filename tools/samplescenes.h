#pragma once

#include <cstdint>
#include <vector>

enum class SceneKind { Beach, Sunset, Mountains, Garden };

struct Scene
{
    SceneKind kind;
    uint32_t seed;       // varies the shapes of the same kind of scene
    bool sepia = false;  // an old print, scanned
};

/** A colourful landscape of width x height pixels: 8-bit RGB rows, top row first. */
std::vector<unsigned char> drawScene(const Scene &scene, int width, int height);
