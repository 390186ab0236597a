// The shadow passes, view types and icon indices of the numeric icons.
#include "icons/num_style.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

std::vector<std::pair<int, int>> PassesOf(int32_t type)
{
    const ShadowOffset* passes = nullptr;
    const size_t n = ShadowPasses(type, &passes);
    std::vector<std::pair<int, int>> out;
    for (size_t i = 0; i < n; ++i)
        out.push_back({passes[i].dx, passes[i].dy});
    return out;
}

TEST(ShadowPasses, EachTypeInDrawingOrder)
{
    using V = std::vector<std::pair<int, int>>;
    const struct {
        int32_t type;
        V passes;
    } cases[] = {
        {0, {}},
        {1, {{-1, -1}}},
        {2, {{1, -1}}},
        {3, {{-1, 1}}},
        {4, {{1, 1}}},
        {5, {{0, -1}, {0, 1}, {-1, 0}, {1, 0}}},
        {6, {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}}},
        {7, {{0, -1}, {0, 1}, {-1, 0}, {1, 0}, {-1, -1}, {1, -1}, {-1, 1}, {1, 1}}},
        {8, {{0, 0}}},
        {9, {{0, 0}}},
        {-1, {{0, 0}}},
        {0x7FFFFFFF, {{0, 0}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PassesOf(c.type), c.passes) << "type " << c.type;
}

TEST(ViewTypes, OverlaysShown)
{
    const struct {
        int32_t view;
        bool back, front;
    } cases[] = {{0, false, false}, {1, true, false}, {2, false, true}, {3, true, true},
                 {4, false, false}, {7, false, false}, {-1, false, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(OverlaysOfView(c.view).back, c.back) << c.view;
        EXPECT_EQ(OverlaysOfView(c.view).front, c.front) << c.view;
    }
}

TEST(IconIndex, StateBlockHeatAndValue)
{
    EXPECT_EQ(TemperatureIconIndex(BLOCK_GOOD, 0, 0), 0u);
    EXPECT_EQ(TemperatureIconIndex(BLOCK_GOOD, 1, 99), 199u);
    EXPECT_EQ(TemperatureIconIndex(BLOCK_CAUTION, 0, 45), 245u);
    EXPECT_EQ(TemperatureIconIndex(BLOCK_CAUTION, 1, 7), 307u);
    EXPECT_EQ(TemperatureIconIndex(BLOCK_DANGER, 0, 50), 450u);
    EXPECT_EQ(TemperatureIconIndex(BLOCK_DANGER, 1, 99), 599u);
}

TEST(IconIndex, HostValues)
{
    EXPECT_EQ(HostIconValue(0, 0), 0u);
    EXPECT_EQ(HostIconValue(15, 15), 0xFFu);
    EXPECT_EQ(HostIconValue(62, 7), 999u);
    EXPECT_EQ(HostIconValue(62, 8), 1000u);
    EXPECT_EQ(HostIconValue(0xFFFFFFFFu, 0), 0xFFFFFFF0u);
}

} // namespace
