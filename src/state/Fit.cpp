#include "state/Fit.h"

FitResult FitPicture(int W, int H, int CW, int CH) {
    FitResult r;
    if (W <= CW && H <= CH) {
        r.dZoom = 1.0;
        r.nDrawX = (CW - W) / 2;
        r.nDrawY = (CH - H) / 2;
    } else if (W > CW && H <= CH) {
        r.dZoom = static_cast<double>(CW) / W;
        r.nDrawX = 0;
        r.nDrawY = static_cast<int>((CH - H * r.dZoom) / 2.0);
    } else if (W < CW && H > CH) {
        r.dZoom = static_cast<double>(CH) / H;
        r.nDrawY = 0;
        r.nDrawX = static_cast<int>((CW - W * r.dZoom) / 2.0);
    } else {
        // Both larger, or exactly as wide and taller: the smaller ratio wins.
        double dHeightRatio = static_cast<double>(CH) / H;
        double dWidthRatio = static_cast<double>(CW) / W;
        if (dHeightRatio > dWidthRatio) {
            r.dZoom = dWidthRatio;
            r.nDrawX = 0;
            r.nDrawY = static_cast<int>((CH - H * r.dZoom) / 2.0);
        } else {
            r.dZoom = dHeightRatio;
            r.nDrawY = 0;
            r.nDrawX = static_cast<int>((CW - W * r.dZoom) / 2.0);
        }
    }
    return r;
}
