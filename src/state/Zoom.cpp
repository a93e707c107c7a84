#include "state/Zoom.h"

#include <math.h>

#include "res/resource.h"

// The fixed ratios are handled as one range of ids.
static_assert(ID_ZOOM_25 + 7 == ID_ZOOM_50 && ID_ZOOM_75 == ID_ZOOM_25 + 1 && ID_ZOOM_200 == ID_ZOOM_25 + 6,
              "the fixed-ratio ids must stay one contiguous block");

bool ZoomPercentInRange(int nPercent) {
    return nPercent >= 5 && nPercent <= 1600;
}

bool ZoomOutAllowed(double dZoom) {
    return !(dZoom < 0.1);
}

bool ZoomInAllowed(double dZoom) {
    return !(dZoom > 8.0);
}

int CentredOrigin(int nClient, int nImage, double dZoom) {
    return static_cast<int>((nClient - nImage * dZoom) / 2.0);
}

double ZoomPercentFloor(double dZoom) {
    return floor(dZoom * 100 + 1e-9);
}

CString ZoomCommandText(double dZoom) {
    CString s;
    s.Format("%.2f", ZoomPercentFloor(dZoom));
    s += "%";
    return s;
}

double PresetZoom(UINT nID) {
    switch (nID) {
        case ID_ZOOM_25:
            return 0.25;
        case ID_ZOOM_50:
            return 0.5;
        case ID_ZOOM_75:
            return 0.75;
        case ID_ZOOM_100:
            return 1.0;
        case ID_ZOOM_125:
            return 1.25;
        case ID_ZOOM_150:
            return 1.5;
        case ID_ZOOM_175:
            return 1.75;
        case ID_ZOOM_200:
            return 2.0;
        default:
            return 0.0;
    }
}

int DragOrigin(int nDraw, int nDelta, int nCentre) {
    int n = nDraw + nDelta;
    if (n > 0)
        n = 0;
    if (n < 2 * nCentre)
        n = 2 * nCentre;
    return n;
}
