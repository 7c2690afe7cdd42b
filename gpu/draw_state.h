// The draw modes a material or render item carries, as the draw code reads
// them. The numbers are those the engine has always used for them.
#pragma once

enum class CullMode { BackFaces = 1, None = 2 };
enum class DepthMode { None = 0, TestOnly = 1, WriteOnly = 2, TestAndWrite = 3 };
enum class BlendMode { Off = 0, Additive = 1, Alpha = 2 };
