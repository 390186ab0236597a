// The shadow passes, view types and icon indices of the numeric icons.
#include "icons/num_style.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

TEST(ShadowPasses, EachTypeInDrawingOrderAndOneRightUnderForOthers)
{
    using V = std::vector<std::pair<int, int>>;
    const V weak = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}}, medium = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    V strong = weak;
    strong.insert(strong.end(), medium.begin(), medium.end());
    const std::pair<int32_t, V> cases[] = {
        {0, {}}, {1, {{-1, -1}}}, {2, {{1, -1}}}, {3, {{-1, 1}}}, {4, {{1, 1}}}, {5, weak}, {6, medium},
        {7, strong}, {8, {{0, 0}}}, {-1, {{0, 0}}}, {0x7FFFFFFF, {{0, 0}}},
    };
    for (const auto& c : cases) {
        const ShadowOffset* passes = nullptr;
        V got(ShadowPasses(c.first, &passes));
        for (size_t i = 0; i < got.size(); ++i)
            got[i] = {passes[i].dx, passes[i].dy};
        EXPECT_EQ(got, c.second) << "type " << c.first;
    }
}

TEST(IconIndex, ViewOverlaysStateBlocksAndHostValues)
{
    const struct { int32_t view; bool back, front; } views[] = {
        {0, false, false}, {1, true, false}, {2, false, true}, {3, true, true}, {4, false, false}, {-1, false, false}};
    for (const auto& v : views) {
        EXPECT_EQ(OverlaysOfView(v.view).back, v.back) << v.view;
        EXPECT_EQ(OverlaysOfView(v.view).front, v.front) << v.view;
    }
    EXPECT_EQ(TemperatureIconIndex(BLOCK_GOOD, 1, 99), 199u);
    EXPECT_EQ(TemperatureIconIndex(BLOCK_CAUTION, 0, 45), 245u);
    EXPECT_EQ(TemperatureIconIndex(BLOCK_DANGER, 1, 7), 507u);
    EXPECT_EQ(HostIconValue(15, 15), 0xFFu);
    EXPECT_EQ(HostIconValue(62, 8), 1000u);
}

} // namespace
