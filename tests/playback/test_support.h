#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// A JPEG file as libjpeg reads it back.
struct DecodedJpeg
{
    bool ok = false;
    int width = 0;
    int height = 0;
    int components = 0;
    bool progressive = false;
    int firstLuminanceQuant = 0;    // quantisation step of the DC coefficient
    std::vector<std::uint8_t> rgb;  // top row first

    struct Rgb
    {
        int r, g, b;
    };
    Rgb at(int x, int y) const;
};

DecodedJpeg decodeJpeg(const QString& path);

// Handles Qt events until `done` holds or `milliseconds` pass; returns `done()`.
bool waitUntil(const std::function<bool()>& done, int milliseconds);
