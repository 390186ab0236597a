// The style rules of the numeric icons that need no drawing: the shadow
// passes of each shadow type, the overlays of each view type, the index of
// each painted icon. Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>

struct ShadowOffset {
    int dx;   // to the right
    int dy;   // downwards
};

// The passes of a shadow type in drawing order; 0 passes for type 0, one
// pass at (0, 0) for any type beyond the table.
size_t ShadowPasses(int32_t shadowType, const ShadowOffset** passes);

struct ViewOverlays {
    bool back;
    bool front;
};

// Which state overlays a view type shows; none for an unknown type.
ViewOverlays OverlaysOfView(int32_t viewType);

enum StateBlock : int { BLOCK_GOOD = 0, BLOCK_CAUTION = 1, BLOCK_DANGER = 2 };
constexpr int STATE_BLOCK_COUNT = 3;
constexpr int HEAT_LEVEL_COUNT = 2;   // 0 normal, 1 hot
constexpr uint32_t VALUES_PER_BLOCK = 100;
constexpr uint32_t HOST_ICON_COUNT = 16;
// The largest value a numeric icon paints.
constexpr uint32_t NUMBER_MAX = 999;

// Index of the temperature icon of a state block, heat level and value 0-99.
uint32_t TemperatureIconIndex(int block, int heat, uint32_t value);
// The value that host-number icon n shows (32-bit arithmetic, may wrap).
uint32_t HostIconValue(uint32_t hostNumber, uint32_t n);
