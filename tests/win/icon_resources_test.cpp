// The status marks the program carries, drawn at each size of display
// scaling. (The icon files are checked byte for byte against their
// generator by a native test.)
#include <windows.h>

#include <gtest/gtest.h>


namespace {

// The marks (4-bit pixel art at 16, drawn shapes at the sizes of display
// scaling) keep their place: opaque pixels only where they belong.
TEST(IconResources, MarksStayInTheLowerRightAtEverySize)
{
    const struct {
        int id;
        int left, top;   // in 16ths of the icon
    } marks[] = {{230, 12, 7}, {231, 7, 7}};
    for (const auto& m : marks) {
        for (int size : {16, 20, 24, 32}) {
            HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m.id),
                                                       IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
            ASSERT_NE(icon, nullptr);
            BITMAPINFO bi = {};
            bi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            void* bits = nullptr;
            HBITMAP surface = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
            HDC dc = CreateCompatibleDC(nullptr);
            HGDIOBJ previous = SelectObject(dc, surface);
            DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
            GdiFlush();
            const auto* px = static_cast<const uint32_t*>(bits);
            int red = 0, white = 0, outside = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    const uint32_t p = px[y * size + x] & 0xFFFFFF;
                    if (p == 0)
                        continue;
                    // Wholly outside: an edge between pixels may blend into one.
                    outside += (x + 1) * 16 <= m.left * size || (y + 1) * 16 <= m.top * size;
                    red += p == 0xFF0000;
                    white += p == 0xFFFFFF;
                }
            }
            EXPECT_EQ(outside, 0) << m.id << " at " << size;
            EXPECT_GT(red, 4) << m.id << " at " << size;
            EXPECT_GT(white, 4) << m.id << " at " << size;
            SelectObject(dc, previous);
            DeleteDC(dc);
            DeleteObject(surface);
            DestroyIcon(icon);
        }
    }
}

} // namespace
