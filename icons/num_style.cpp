// Tables of the shadow types and view types.
#include "icons/num_style.h"

namespace {

const ShadowOffset UPPER_LEFT[] = {{-1, -1}};
const ShadowOffset UPPER_RIGHT[] = {{+1, -1}};
const ShadowOffset LOWER_LEFT[] = {{-1, +1}};
const ShadowOffset LOWER_RIGHT[] = {{+1, +1}};
const ShadowOffset OUTLINE_WEAK[] = {{0, -1}, {0, +1}, {-1, 0}, {+1, 0}};
const ShadowOffset OUTLINE_MEDIUM[] = {{-1, -1}, {+1, -1}, {-1, +1}, {+1, +1}};
const ShadowOffset OUTLINE_STRONG[] = {{0, -1},  {0, +1},  {-1, 0}, {+1, 0},
                                       {-1, -1}, {+1, -1}, {-1, +1}, {+1, +1}};
const ShadowOffset UNDER[] = {{0, 0}};

struct PassList {
    const ShadowOffset* passes;
    size_t count;
};

template <size_t N>
constexpr PassList Passes(const ShadowOffset (&passes)[N])
{
    return {passes, N};
}

// Indexed by shadow type 0 to 7.
const PassList SHADOW_TYPES[] = {
    {nullptr, 0},         Passes(UPPER_LEFT),   Passes(UPPER_RIGHT),    Passes(LOWER_LEFT),
    Passes(LOWER_RIGHT),  Passes(OUTLINE_WEAK), Passes(OUTLINE_MEDIUM), Passes(OUTLINE_STRONG),
};

// Indexed by view type 0 to 3.
const ViewOverlays VIEW_TYPES[] = {{false, false}, {true, false}, {false, true}, {true, true}};

} // namespace

size_t ShadowPasses(int32_t shadowType, const ShadowOffset** passes)
{
    const size_t known = sizeof SHADOW_TYPES / sizeof SHADOW_TYPES[0];
    const PassList list = shadowType >= 0 && static_cast<size_t>(shadowType) < known
                              ? SHADOW_TYPES[shadowType]
                              : Passes(UNDER);
    *passes = list.passes;
    return list.count;
}

ViewOverlays OverlaysOfView(int32_t viewType)
{
    const int known = sizeof VIEW_TYPES / sizeof VIEW_TYPES[0];
    return viewType >= 0 && viewType < known ? VIEW_TYPES[viewType] : ViewOverlays{false, false};
}

uint32_t TemperatureIconIndex(int block, int heat, uint32_t value)
{
    return static_cast<uint32_t>(2 * block + heat) * VALUES_PER_BLOCK + value;
}

uint32_t HostIconValue(uint32_t hostNumber, uint32_t n)
{
    return hostNumber * HOST_ICON_COUNT + n;
}
