#include "app/uFrameLink.h"

FrameSettings& FrameConfig() {
    static FrameSettings settings;
    return settings;
}

FrameColors& ColorConfig() {
    static FrameColors colors;
    return colors;
}

FrameWindows& FrameLink() {
    static FrameWindows windows;
    return windows;
}

void RelayoutFrame() {
    if (FrameLink().relayout) FrameLink().relayout();
}
