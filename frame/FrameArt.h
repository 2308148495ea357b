// The two sets of title-bar artwork: which pictures a bar draws and how tall its button group is.
// The frame control copies these source pictures into its shown pieces.
#pragma once

#include "Picture.h"

namespace zendra {

// Resource IDs of one variant's pictures and the size of its button group.
struct FrameStyle {
    int activeLeft, activeMid, activeRight;
    int inactiveLeft, inactiveMid, inactiveRight;
    int close, closeHover, closePressed;
    int min, minHover, minPressed;
    int zoom, zoomHover, zoomPressed;
    int disabled, inactiveButton;
    int groupWidth, groupHeight; // twips
};

// The tall bar of the main window and the slim bar of the About window.
const FrameStyle& LeopardStyle() noexcept;
const FrameStyle& TigerStyle() noexcept;

// The source pictures, under the names the bar's looks refer to.
struct FramePictures {
    tk::Picture tLeft3, tMid3, tRight3; // active bar
    tk::Picture tLeft2, tMid2, tRight2; // inactive bar
    tk::Picture X1, Min, Zoom;          // buttons, normal
    tk::Picture Xover, Minover, Zoomover;
    tk::Picture Xdown, Mindown, Zoomdown;
    tk::Picture Dis;  // a button whose flag is off
    tk::Picture Dis2; // every button while the window is inactive

    // Loads every picture of a style from the executable; throws if one is missing.
    static FramePictures Load(const FrameStyle& style);
};

} // namespace zendra
