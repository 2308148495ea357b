#include "FrameArt.h"

#include "Artwork.h"

namespace zendra {

const FrameStyle& LeopardStyle() noexcept {
    static const FrameStyle style{
        IDB_LEOPARD_ACTIVE_LEFT,   IDB_LEOPARD_ACTIVE_MID,        IDB_LEOPARD_ACTIVE_RIGHT,
        IDB_LEOPARD_INACTIVE_LEFT, IDB_LEOPARD_INACTIVE_MID,      IDB_LEOPARD_INACTIVE_RIGHT,
        IDB_LEOPARD_CLOSE,         IDB_LEOPARD_CLOSE_HOVER,       IDB_LEOPARD_CLOSE_PRESSED,
        IDB_LEOPARD_MIN,           IDB_LEOPARD_MIN_HOVER,         IDB_LEOPARD_MIN_PRESSED,
        IDB_LEOPARD_ZOOM,          IDB_LEOPARD_ZOOM_HOVER,        IDB_LEOPARD_ZOOM_PRESSED,
        IDB_LEOPARD_BUTTON_DISABLED, IDB_LEOPARD_BUTTON_INACTIVE,
        975, 810};
    return style;
}

const FrameStyle& TigerStyle() noexcept {
    static const FrameStyle style{
        IDB_TIGER_ACTIVE_LEFT,   IDB_TIGER_ACTIVE_MID,        IDB_TIGER_ACTIVE_RIGHT,
        IDB_TIGER_INACTIVE_LEFT, IDB_TIGER_INACTIVE_MID,      IDB_TIGER_INACTIVE_RIGHT,
        IDB_TIGER_CLOSE,         IDB_TIGER_CLOSE_HOVER,       IDB_TIGER_CLOSE_PRESSED,
        IDB_TIGER_MIN,           IDB_TIGER_MIN_HOVER,         IDB_TIGER_MIN_PRESSED,
        IDB_TIGER_ZOOM,          IDB_TIGER_ZOOM_HOVER,        IDB_TIGER_ZOOM_PRESSED,
        IDB_TIGER_BUTTON_DISABLED, IDB_TIGER_BUTTON_INACTIVE,
        975, 375};
    return style;
}

FramePictures FramePictures::Load(const FrameStyle& s) {
    auto load = [](int id) { return tk::Picture::FromResource(id); };
    FramePictures p;
    p.tLeft3 = load(s.activeLeft);
    p.tMid3 = load(s.activeMid);
    p.tRight3 = load(s.activeRight);
    p.tLeft2 = load(s.inactiveLeft);
    p.tMid2 = load(s.inactiveMid);
    p.tRight2 = load(s.inactiveRight);
    p.X1 = load(s.close);
    p.Xover = load(s.closeHover);
    p.Xdown = load(s.closePressed);
    p.Min = load(s.min);
    p.Minover = load(s.minHover);
    p.Mindown = load(s.minPressed);
    p.Zoom = load(s.zoom);
    p.Zoomover = load(s.zoomHover);
    p.Zoomdown = load(s.zoomPressed);
    p.Dis = load(s.disabled);
    p.Dis2 = load(s.inactiveButton);
    return p;
}

} // namespace zendra
