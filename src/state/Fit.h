// Fitting a picture into the window: the pure geometry the view uses.
#pragma once

struct FitResult {
    double dZoom;
    int nDrawX;
    int nDrawY;
};

// Ratio and top-left corner that show a W x H picture whole and centred in a CW x CH client,
// never enlarged. A 0 x 0 picture gets ratio 1.0 at the centre of the client.
FitResult FitPicture(int W, int H, int CW, int CH);
