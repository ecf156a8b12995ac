#pragma once

#include <vector>

// One logged second of a made-up drive.
struct DriveSample
{
    double latitude = 0.0;   // degrees, north positive
    double longitude = 0.0;  // degrees, east positive
    double speedKmh = 0.0;
    double course = 0.0;  // degrees, 0 north, clockwise
    int gX = 0;           // thousandths of g: along the car
    int gY = 0;           // across the car
    int gZ = 1000;        // vertical
    long long utcSeconds = 0;
};

// A drive along a winding made-up road: starts from rest, speeds up, brakes for bends,
// stops once. Sample i is second i of the drive.
std::vector<DriveSample> makeDrive(int seconds, long long startUtc);
