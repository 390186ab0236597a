// The icon indices show in the pixels of tests/win/icon_set_test.
#include "icons/num_style.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

TEST(NumStyle, ShadowPassesInDrawingOrderAndTypesOutsideTheTables)
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
    // A view type outside the table shows no overlay; the table's own show in tests/win/icon_set_test.
    for (int32_t view : {4, -1})
        EXPECT_FALSE(OverlaysOfView(view).back || OverlaysOfView(view).front) << view;
}

} // namespace
