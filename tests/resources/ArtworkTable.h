// Every bitmap the program carries, with the size its control lays it out at and how it uses the key colour.
#pragma once

#include "Artwork.h"

enum class KeyUse {
    None,          // drawn opaque: a key pixel would be a hole in the keyed window
    TitleCorner,   // only in the outer top corner rows
    Transparent,   // the key is the transparent colour (push-button caps, tabs)
};

struct ArtworkEntry {
    int id;
    const char* name;
    int width;
    int height;
    KeyUse key;
};

inline constexpr ArtworkEntry kArtwork[] = {
    {IDB_LEOPARD_ACTIVE_LEFT, "leopard_active_left", 8, 54, KeyUse::TitleCorner},
    {IDB_LEOPARD_ACTIVE_MID, "leopard_active_mid", 7, 54, KeyUse::None},
    {IDB_LEOPARD_ACTIVE_RIGHT, "leopard_active_right", 8, 54, KeyUse::TitleCorner},
    {IDB_LEOPARD_INACTIVE_LEFT, "leopard_inactive_left", 8, 54, KeyUse::TitleCorner},
    {IDB_LEOPARD_INACTIVE_MID, "leopard_inactive_mid", 2, 54, KeyUse::None},
    {IDB_LEOPARD_INACTIVE_RIGHT, "leopard_inactive_right", 8, 54, KeyUse::TitleCorner},
    {IDB_LEOPARD_CLOSE, "leopard_close", 14, 22, KeyUse::None},
    {IDB_LEOPARD_CLOSE_HOVER, "leopard_close_hover", 14, 22, KeyUse::None},
    {IDB_LEOPARD_CLOSE_PRESSED, "leopard_close_pressed", 14, 22, KeyUse::None},
    {IDB_LEOPARD_MIN, "leopard_min", 14, 22, KeyUse::None},
    {IDB_LEOPARD_MIN_HOVER, "leopard_min_hover", 14, 22, KeyUse::None},
    {IDB_LEOPARD_MIN_PRESSED, "leopard_min_pressed", 14, 22, KeyUse::None},
    {IDB_LEOPARD_ZOOM, "leopard_zoom", 14, 22, KeyUse::None},
    {IDB_LEOPARD_ZOOM_HOVER, "leopard_zoom_hover", 14, 22, KeyUse::None},
    {IDB_LEOPARD_ZOOM_PRESSED, "leopard_zoom_pressed", 14, 22, KeyUse::None},
    {IDB_LEOPARD_BUTTON_DISABLED, "leopard_button_disabled", 14, 22, KeyUse::None},
    {IDB_LEOPARD_BUTTON_INACTIVE, "leopard_button_inactive", 14, 22, KeyUse::None},
    {IDB_TIGER_ACTIVE_LEFT, "tiger_active_left", 8, 23, KeyUse::TitleCorner},
    {IDB_TIGER_ACTIVE_MID, "tiger_active_mid", 2, 23, KeyUse::None},
    {IDB_TIGER_ACTIVE_RIGHT, "tiger_active_right", 8, 23, KeyUse::TitleCorner},
    {IDB_TIGER_INACTIVE_LEFT, "tiger_inactive_left", 8, 23, KeyUse::TitleCorner},
    {IDB_TIGER_INACTIVE_MID, "tiger_inactive_mid", 2, 23, KeyUse::None},
    {IDB_TIGER_INACTIVE_RIGHT, "tiger_inactive_right", 8, 23, KeyUse::TitleCorner},
    {IDB_TIGER_CLOSE, "tiger_close", 14, 23, KeyUse::None},
    {IDB_TIGER_CLOSE_HOVER, "tiger_close_hover", 14, 23, KeyUse::None},
    {IDB_TIGER_CLOSE_PRESSED, "tiger_close_pressed", 14, 23, KeyUse::None},
    {IDB_TIGER_MIN, "tiger_min", 14, 23, KeyUse::None},
    {IDB_TIGER_MIN_HOVER, "tiger_min_hover", 14, 23, KeyUse::None},
    {IDB_TIGER_MIN_PRESSED, "tiger_min_pressed", 14, 23, KeyUse::None},
    {IDB_TIGER_ZOOM, "tiger_zoom", 14, 23, KeyUse::None},
    {IDB_TIGER_ZOOM_HOVER, "tiger_zoom_hover", 14, 23, KeyUse::None},
    {IDB_TIGER_ZOOM_PRESSED, "tiger_zoom_pressed", 14, 23, KeyUse::None},
    {IDB_TIGER_BUTTON_DISABLED, "tiger_button_disabled", 14, 23, KeyUse::None},
    {IDB_TIGER_BUTTON_INACTIVE, "tiger_button_inactive", 14, 23, KeyUse::None},
    {IDB_TAB_SPLIT, "tab_split", 27, 22, KeyUse::Transparent},
    {IDB_TAB_SPLIT_DOWN, "tab_split_down", 27, 22, KeyUse::Transparent},
    {IDB_TAB_JOIN, "tab_join", 27, 22, KeyUse::Transparent},
    {IDB_TAB_JOIN_DOWN, "tab_join_down", 27, 22, KeyUse::Transparent},
    {IDB_TAB_PREFS, "tab_prefs", 27, 22, KeyUse::Transparent},
    {IDB_TAB_PREFS_DOWN, "tab_prefs_down", 27, 22, KeyUse::Transparent},
    {IDB_TAB_ABOUT, "tab_about", 27, 22, KeyUse::Transparent},
    {IDB_TAB_ABOUT_DOWN, "tab_about_down", 27, 22, KeyUse::Transparent},
    {IDB_LOGO, "logo", 48, 48, KeyUse::None},
    {IDB_AQUA_NORMAL_LEFT, "aqua_normal_left", 15, 23, KeyUse::Transparent},
    {IDB_AQUA_NORMAL_MID, "aqua_normal_mid", 2, 23, KeyUse::None},
    {IDB_AQUA_NORMAL_RIGHT, "aqua_normal_right", 15, 23, KeyUse::Transparent},
    {IDB_AQUA_PRESSED_LEFT, "aqua_pressed_left", 15, 23, KeyUse::Transparent},
    {IDB_AQUA_PRESSED_MID, "aqua_pressed_mid", 2, 23, KeyUse::None},
    {IDB_AQUA_PRESSED_RIGHT, "aqua_pressed_right", 15, 23, KeyUse::Transparent},
    {IDB_AQUA_DISABLED_LEFT, "aqua_disabled_left", 15, 23, KeyUse::Transparent},
    {IDB_AQUA_DISABLED_MID, "aqua_disabled_mid", 3, 23, KeyUse::None},
    {IDB_AQUA_DISABLED_RIGHT, "aqua_disabled_right", 15, 23, KeyUse::Transparent},
    {IDB_AQUA_PINSTRIPE, "aqua_pinstripe", 16, 42, KeyUse::None},
    {IDB_CHECKBOX_CELLS, "checkbox_cells", 16, 204, KeyUse::None},
    {IDB_LIST_HEADER, "list_header", 123, 17, KeyUse::None},
    {IDB_LIST_HEADER_CORNER, "list_header_corner", 15, 17, KeyUse::None},
    {IDB_LIST_STRIPE, "list_stripe", 2, 18, KeyUse::None},
    {IDB_LIST_THUMB, "list_thumb", 11, 23, KeyUse::None},
    {IDB_LIST_ARROW_UP, "list_arrow_up", 12, 21, KeyUse::None},
    {IDB_LIST_ARROW_DOWN, "list_arrow_down", 12, 14, KeyUse::None},
    {IDB_LIST_TRACK, "list_track", 12, 32, KeyUse::None},
    {IDB_LIST_TRACK_CAP, "list_track_cap", 12, 13, KeyUse::None},
};
