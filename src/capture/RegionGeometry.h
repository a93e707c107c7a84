// The region overlay's pure geometry: the rectangle a selection captures, and the label's text
// and place.
#pragma once

#include "framework/AfxStr.h"

// The screen rectangle captured for a selection whose first corner is ptStart and whose signed
// size, as the overlay keeps it, is nWidth x nHeight (second corner minus first corner minus 2
// on each axis). The capture lies strictly inside the lines drawn through both corners, in
// whichever direction the selection was dragged: one pixel in from the left and top lines, two
// in from the right and bottom ones. A selection with no inside on an axis (corners fewer than
// three pixels apart) takes the small rectangle at its corners that the signs of the size give;
// both clicks on one point give the 2 x 2 square at that point minus (1, 1).
CRect NormaliseRegion(CPoint ptStart, int nWidth, int nHeight);

// "X=%d Y=%d" with the cursor before the first click, "X=%d Y=%d W=%d H=%d" with the first
// corner and the signed size after it.
CString RegionLabelText(BOOL bStarted, CPoint ptCursor, CPoint ptStart, int nWidth, int nHeight);

// Top-left corner of a label of the given size: 20 pixels right of and below the cursor, or 20
// pixels left of (above) it when it would come within 25 pixels of the right (bottom) edge; the
// distances are those at 96 dpi, scaled by nDpi / 96 (the screen's pixels are physical ones).
CPoint RegionLabelOrigin(CPoint ptCursor, CSize sizeText, int cxScreen, int cyScreen, UINT nDpi = 96);
