// The framework in one include.
#pragma once

#include "framework/AfxApp.h"
#include "framework/AfxBars.h"
#include "framework/AfxCmdUI.h"
#include "framework/AfxCtl.h"
#include "framework/AfxDlg.h"
#include "framework/AfxDoc.h"
#include "framework/AfxFrame.h"
#include "framework/AfxGdi.h"
#include "framework/AfxStr.h"
#include "framework/AfxView.h"
#include "framework/AfxWin.h"
#include "framework/AfxSlider.h"
