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
// Picks the model variants: the number is the rock set (temperate, "Dessert", "Snow").
enum class Climate { Temperate = 0, Dry = 1, Snowy = 2 };
// The climate of a taken candidate at height y.
Climate climateAt(const DemoWorld& world, float y);
