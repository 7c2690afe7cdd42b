// The scattering pass: from one fixed seed, regenerates the terrain and water
// heights, lays out the flight paths and places trees, plants and rocks on
// dry land, each model picked by the climate of its height.
#pragma once

struct DemoWorld;

constexpr unsigned kScatterSeed = 174201u;

// The demo's pass: regenerates the terrain and the water only where their
// models exist.
void scatter(bool useRawFile);
// The same pass on any world, with the regenerations chosen by the caller.
void scatterWorld(DemoWorld& world, bool useRawFile, bool generateTerrain, bool generateWater);
// 0 temperate, 1 dry, 2 snowy, for a taken candidate at height y.
int climateAt(const DemoWorld& world, float y);
