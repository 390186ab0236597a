// The icon groups the program carries, with their sizes and colour depths.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

using Images = std::vector<std::pair<int, int>>;   // (size, bits)

Images GroupImages(int id)
{
    Images out;
    HRSRC res = FindResourceExA(nullptr, RT_GROUP_ICON, MAKEINTRESOURCEA(id),
                                MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    if (!res)
        return out;
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res)));
    const WORD count = *reinterpret_cast<const WORD*>(data + 4);
    const auto* entries = reinterpret_cast<const GroupEntry*>(data + 6);
    for (WORD i = 0; i < count; ++i)
        out.push_back({entries[i].width ? entries[i].width : 256, entries[i].bitCount});
    std::sort(out.begin(), out.end());
    return out;
}

TEST(IconResources, EveryGroupWithItsSizesAndDepths)
{
    const struct {
        int id;
        Images images;
    } groups[] = {
        {200, {{16, 32}, {24, 32}, {32, 32}, {48, 32}, {64, 32}, {72, 32}, {128, 32}, {256, 32}}},
        {201, {{16, 32}}},
        {202, {{16, 32}}},
        {210, {{16, 4}, {16, 8}, {16, 32}}},
        {211, {{16, 32}}},
        {212, {{16, 32}}},
        {213, {{16, 32}, {24, 32}, {32, 32}}},
        {214, {{16, 32}, {32, 32}}},
        {215, {{16, 32}, {24, 32}, {32, 32}}},
        {220, {{16, 32}}},
        {221, {{16, 32}}},
        {222, {{16, 32}}},
        {230, {{16, 4}}},
        {231, {{16, 4}}},
    };
    for (const auto& g : groups)
        EXPECT_EQ(GroupImages(g.id), g.images) << "group " << g.id;
}

// The marks are 4-bit pictures whose opaque pixels lie only where they belong.
TEST(IconResources, MarksStayInTheLowerRight)
{
    const struct {
        int id;
        int left, top;
    } marks[] = {{230, 12, 7}, {231, 7, 7}};
    for (const auto& m : marks) {
        HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m.id), IMAGE_ICON,
                                                   16, 16, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr);
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP surface = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, surface);
        DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
        GdiFlush();
        const auto* px = static_cast<const uint32_t*>(bits);
        int red = 0, white = 0, outside = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const uint32_t p = px[y * 16 + x] & 0xFFFFFF;
                if (p == 0)
                    continue;
                outside += x < m.left || y < m.top;
                red += p == 0xFF0000;
                white += p == 0xFFFFFF;
            }
        }
        EXPECT_EQ(outside, 0) << m.id;
        EXPECT_GT(red, 8) << m.id;
        EXPECT_GT(white, 8) << m.id;
        DeleteDC(dc);
        DeleteObject(surface);
        DestroyIcon(icon);
    }
}

} // namespace
