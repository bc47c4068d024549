#pragma once
// Pixel arithmetic that the live trace and the history trace share.

namespace plotpixels {

// A requested range whose two ends are both exactly 0 is automatic.
inline bool isAutomatic(double a, double b)
{
    return a == 0 && b == 0;
}

// Truncates a coordinate to a pixel. Values far beyond the widget (a fixed
// range much narrower than the data) are pinned where the int conversion is
// still defined; they are clipped either way.
inline int toPixel(double v)
{
    constexpr double limit = 1e6;
    if (!(v > -limit))
        return -static_cast<int>(limit);
    if (v > limit)
        return static_cast<int>(limit);
    return static_cast<int>(v);
}

// Values to rows of a plot area `height` pixels high: the range's minimum on
// row height - 2 and its maximum on row 2; a range of one value is a flat line
// on row height - 2.
struct ValueScale
{
    ValueScale(double low, double high, int height)
        : scale(0), offset(height - 2)
    {
        if (high != low) {
            scale = (height - 4) / (high - low);
            offset = (height - 2) + low * scale;
        }
    }

    int row(double value) const { return toPixel(offset - value * scale); }

    double scale;
    double offset;
};

} // namespace plotpixels
