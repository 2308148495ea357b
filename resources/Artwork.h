// Resource IDs of every picture the windows and skinned controls draw, and the window icon.
// Plain macros so that the resource script (windres) can include this file too; C++ code may use
// the constexpr names in namespace zendra::art below. Sizes are width x height in pixels.
#pragma once

// ---- Window icon (seven images: 48, 32, 16 at 8 bpp; 64, 48, 32, 24 at 32 bpp) ----
#define IDI_ZENDRA 1

// ---- Key colour RGB(255, 0, 255), as a COLORREF (0x00BBGGRR) ----
// Title-bar end pieces carry it in their outer top corners (the host window is keyed on it);
// the push-button caps and the tab pictures use it as their transparent colour (draw them with a
// transparent blit: drawn opaque, their key pixels would become holes in the keyed window).
#define ZENDRA_ART_KEY_COLOUR 0x00FF00FF

// ---- Tall title bar (Leopard, 54 px: caption row above a toolbar band), main window ----
#define IDB_LEOPARD_ACTIVE_LEFT 101     // 8x54  active bar, left end (key-colour corner)
#define IDB_LEOPARD_ACTIVE_MID 102      // 7x54  active bar, middle, stretched; also behind the buttons
#define IDB_LEOPARD_ACTIVE_RIGHT 103    // 8x54  active bar, right end (key-colour corner)
#define IDB_LEOPARD_INACTIVE_LEFT 104   // 8x54  inactive bar, left end (key-colour corner)
#define IDB_LEOPARD_INACTIVE_MID 105    // 2x54  inactive bar, middle, stretched
#define IDB_LEOPARD_INACTIVE_RIGHT 106  // 8x54  inactive bar, right end (key-colour corner)
#define IDB_LEOPARD_CLOSE 111           // 14x22 close button, normal (red disc)
#define IDB_LEOPARD_CLOSE_HOVER 112     // 14x22 close button, pointer over the group (disc with x)
#define IDB_LEOPARD_CLOSE_PRESSED 113   // 14x22 close button, pressed (darker disc with x)
#define IDB_LEOPARD_MIN 114             // 14x22 minimise button, normal (amber disc)
#define IDB_LEOPARD_MIN_HOVER 115       // 14x22 minimise button, hover (disc with -)
#define IDB_LEOPARD_MIN_PRESSED 116     // 14x22 minimise button, pressed
#define IDB_LEOPARD_ZOOM 117            // 14x22 zoom button, normal (green disc)
#define IDB_LEOPARD_ZOOM_HOVER 118      // 14x22 zoom button, hover (disc with +)
#define IDB_LEOPARD_ZOOM_PRESSED 119    // 14x22 zoom button, pressed
#define IDB_LEOPARD_BUTTON_DISABLED 120 // 14x22 any button whose flag is off, window active (grey disc)
#define IDB_LEOPARD_BUTTON_INACTIVE 121 // 14x22 every button while the window is inactive (grey disc)

// ---- Slim title bar (Tiger, 23 px), About window ----
#define IDB_TIGER_ACTIVE_LEFT 201     // 8x23  active bar, left end (key-colour corner)
#define IDB_TIGER_ACTIVE_MID 202      // 2x23  active bar, middle, stretched; also behind the buttons
#define IDB_TIGER_ACTIVE_RIGHT 203    // 8x23  active bar, right end (key-colour corner)
#define IDB_TIGER_INACTIVE_LEFT 204   // 8x23  inactive bar, left end (key-colour corner)
#define IDB_TIGER_INACTIVE_MID 205    // 2x23  inactive bar, middle, stretched
#define IDB_TIGER_INACTIVE_RIGHT 206  // 8x23  inactive bar, right end (key-colour corner)
#define IDB_TIGER_CLOSE 211           // 14x23 close button, normal (red disc)
#define IDB_TIGER_CLOSE_HOVER 212     // 14x23 close button, hover (disc with x)
#define IDB_TIGER_CLOSE_PRESSED 213   // 14x23 close button, pressed
#define IDB_TIGER_MIN 214             // 14x23 minimise button, normal (amber disc)
#define IDB_TIGER_MIN_HOVER 215       // 14x23 minimise button, hover (disc with -)
#define IDB_TIGER_MIN_PRESSED 216     // 14x23 minimise button, pressed
#define IDB_TIGER_ZOOM 217            // 14x23 zoom button, normal (green disc)
#define IDB_TIGER_ZOOM_HOVER 218      // 14x23 zoom button, hover (disc with +)
#define IDB_TIGER_ZOOM_PRESSED 219    // 14x23 zoom button, pressed
#define IDB_TIGER_BUTTON_DISABLED 220 // 14x23 any button whose flag is off, window active
#define IDB_TIGER_BUTTON_INACTIVE 221 // 14x23 every button while the window is inactive

// ---- Main window: picture tabs in the title bar's toolbar band (key transparent), and the About logo ----
#define IDB_TAB_SPLIT 301        // 27x22 split tab, normal
#define IDB_TAB_SPLIT_DOWN 302   // 27x22 split tab, pressed
#define IDB_TAB_JOIN 303         // 27x22 join tab, normal
#define IDB_TAB_JOIN_DOWN 304    // 27x22 join tab, pressed
#define IDB_TAB_PREFS 305        // 27x22 settings tab, normal
#define IDB_TAB_PREFS_DOWN 306   // 27x22 settings tab, pressed
#define IDB_TAB_ABOUT 307        // 27x22 About picture, normal
#define IDB_TAB_ABOUT_DOWN 308   // 27x22 About picture, pressed
#define IDB_LOGO 310             // 48x48 program logo on the About window (white background)

// ---- Push button (aquaBtn); caps are transparent in the key colour ----
#define IDB_AQUA_NORMAL_LEFT 401    // 15x23 normal look, left cap (white-grey gloss)
#define IDB_AQUA_NORMAL_MID 402     // 2x23  normal look, middle, stretched
#define IDB_AQUA_NORMAL_RIGHT 403   // 15x23 normal look, right cap
#define IDB_AQUA_PRESSED_LEFT 404   // 15x23 pressed look, left cap (blue gloss, dark blue top line)
#define IDB_AQUA_PRESSED_MID 405    // 2x23  pressed look, middle, stretched
#define IDB_AQUA_PRESSED_RIGHT 406  // 15x23 pressed look, right cap
#define IDB_AQUA_DISABLED_LEFT 407  // 15x23 disabled look, left cap (flat white, grey edges)
#define IDB_AQUA_DISABLED_MID 408   // 3x23  disabled look, middle, stretched
#define IDB_AQUA_DISABLED_RIGHT 409 // 15x23 disabled look, right cap
#define IDB_AQUA_PINSTRIPE 410      // 16x42 pinstripe backdrop, 4-row period, stretched

// ---- Check box (OSXcheckbox) ----
// 16x204: one column of 12 cells of 16x17, top to bottom: unchecked normal, hover, pressed, disabled;
// checked normal, hover, pressed, disabled; mixed normal, hover, pressed, disabled. White background.
#define IDB_CHECKBOX_CELLS 501

// ---- Piece list (iList) ----
#define IDB_LIST_HEADER 601        // 123x17 blue header background, stretched to the header's width
#define IDB_LIST_HEADER_CORNER 602 // 15x17  corner piece at the header's right end, over the scroll column
#define IDB_LIST_STRIPE 603        // 2x18   row stripe, plain RGB(237, 243, 254), stretched
#define IDB_LIST_THUMB 604         // 11x23  scroll thumb (blue gloss capsule)
#define IDB_LIST_ARROW_UP 605      // 12x21  up arrow (with the track's rounded lower end above it)
#define IDB_LIST_ARROW_DOWN 606    // 12x14  down arrow, below the up arrow
#define IDB_LIST_TRACK 607         // 12x32  scroll track, every row alike, stretched vertically
#define IDB_LIST_TRACK_CAP 608     // 12x13  rounded top cap of the track

#ifndef RC_INVOKED
namespace zendra::art {

inline constexpr int kIcon = IDI_ZENDRA;
inline constexpr unsigned long kKeyColour = ZENDRA_ART_KEY_COLOUR; // COLORREF RGB(255, 0, 255)
inline constexpr unsigned long kListStripeColour = 0x00FEF3EDul;     // COLORREF RGB(237, 243, 254)

// The check box strip's cell geometry; cell index = value * 4 + look (0 normal, 1 hover, 2 pressed, 3 disabled).
inline constexpr int kCheckCellWidth = 16;
inline constexpr int kCheckCellHeight = 17;
inline constexpr int kCheckCellCount = 12;

inline constexpr int kLeopardActiveLeft = IDB_LEOPARD_ACTIVE_LEFT;
inline constexpr int kLeopardActiveMid = IDB_LEOPARD_ACTIVE_MID;
inline constexpr int kLeopardActiveRight = IDB_LEOPARD_ACTIVE_RIGHT;
inline constexpr int kLeopardInactiveLeft = IDB_LEOPARD_INACTIVE_LEFT;
inline constexpr int kLeopardInactiveMid = IDB_LEOPARD_INACTIVE_MID;
inline constexpr int kLeopardInactiveRight = IDB_LEOPARD_INACTIVE_RIGHT;
inline constexpr int kLeopardClose = IDB_LEOPARD_CLOSE;
inline constexpr int kLeopardCloseHover = IDB_LEOPARD_CLOSE_HOVER;
inline constexpr int kLeopardClosePressed = IDB_LEOPARD_CLOSE_PRESSED;
inline constexpr int kLeopardMin = IDB_LEOPARD_MIN;
inline constexpr int kLeopardMinHover = IDB_LEOPARD_MIN_HOVER;
inline constexpr int kLeopardMinPressed = IDB_LEOPARD_MIN_PRESSED;
inline constexpr int kLeopardZoom = IDB_LEOPARD_ZOOM;
inline constexpr int kLeopardZoomHover = IDB_LEOPARD_ZOOM_HOVER;
inline constexpr int kLeopardZoomPressed = IDB_LEOPARD_ZOOM_PRESSED;
inline constexpr int kLeopardButtonDisabled = IDB_LEOPARD_BUTTON_DISABLED;
inline constexpr int kLeopardButtonInactive = IDB_LEOPARD_BUTTON_INACTIVE;

inline constexpr int kTigerActiveLeft = IDB_TIGER_ACTIVE_LEFT;
inline constexpr int kTigerActiveMid = IDB_TIGER_ACTIVE_MID;
inline constexpr int kTigerActiveRight = IDB_TIGER_ACTIVE_RIGHT;
inline constexpr int kTigerInactiveLeft = IDB_TIGER_INACTIVE_LEFT;
inline constexpr int kTigerInactiveMid = IDB_TIGER_INACTIVE_MID;
inline constexpr int kTigerInactiveRight = IDB_TIGER_INACTIVE_RIGHT;
inline constexpr int kTigerClose = IDB_TIGER_CLOSE;
inline constexpr int kTigerCloseHover = IDB_TIGER_CLOSE_HOVER;
inline constexpr int kTigerClosePressed = IDB_TIGER_CLOSE_PRESSED;
inline constexpr int kTigerMin = IDB_TIGER_MIN;
inline constexpr int kTigerMinHover = IDB_TIGER_MIN_HOVER;
inline constexpr int kTigerMinPressed = IDB_TIGER_MIN_PRESSED;
inline constexpr int kTigerZoom = IDB_TIGER_ZOOM;
inline constexpr int kTigerZoomHover = IDB_TIGER_ZOOM_HOVER;
inline constexpr int kTigerZoomPressed = IDB_TIGER_ZOOM_PRESSED;
inline constexpr int kTigerButtonDisabled = IDB_TIGER_BUTTON_DISABLED;
inline constexpr int kTigerButtonInactive = IDB_TIGER_BUTTON_INACTIVE;

inline constexpr int kTabSplit = IDB_TAB_SPLIT;
inline constexpr int kTabSplitDown = IDB_TAB_SPLIT_DOWN;
inline constexpr int kTabJoin = IDB_TAB_JOIN;
inline constexpr int kTabJoinDown = IDB_TAB_JOIN_DOWN;
inline constexpr int kTabPrefs = IDB_TAB_PREFS;
inline constexpr int kTabPrefsDown = IDB_TAB_PREFS_DOWN;
inline constexpr int kTabAbout = IDB_TAB_ABOUT;
inline constexpr int kTabAboutDown = IDB_TAB_ABOUT_DOWN;
inline constexpr int kLogo = IDB_LOGO;

inline constexpr int kAquaNormalLeft = IDB_AQUA_NORMAL_LEFT;
inline constexpr int kAquaNormalMid = IDB_AQUA_NORMAL_MID;
inline constexpr int kAquaNormalRight = IDB_AQUA_NORMAL_RIGHT;
inline constexpr int kAquaPressedLeft = IDB_AQUA_PRESSED_LEFT;
inline constexpr int kAquaPressedMid = IDB_AQUA_PRESSED_MID;
inline constexpr int kAquaPressedRight = IDB_AQUA_PRESSED_RIGHT;
inline constexpr int kAquaDisabledLeft = IDB_AQUA_DISABLED_LEFT;
inline constexpr int kAquaDisabledMid = IDB_AQUA_DISABLED_MID;
inline constexpr int kAquaDisabledRight = IDB_AQUA_DISABLED_RIGHT;
inline constexpr int kAquaPinstripe = IDB_AQUA_PINSTRIPE;

inline constexpr int kCheckboxCells = IDB_CHECKBOX_CELLS;

inline constexpr int kListHeader = IDB_LIST_HEADER;
inline constexpr int kListHeaderCorner = IDB_LIST_HEADER_CORNER;
inline constexpr int kListStripe = IDB_LIST_STRIPE;
inline constexpr int kListThumb = IDB_LIST_THUMB;
inline constexpr int kListArrowUp = IDB_LIST_ARROW_UP;
inline constexpr int kListArrowDown = IDB_LIST_ARROW_DOWN;
inline constexpr int kListTrack = IDB_LIST_TRACK;
inline constexpr int kListTrackCap = IDB_LIST_TRACK_CAP;

} // namespace zendra::art
#endif
