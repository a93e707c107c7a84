// The framework in one include.
#pragma once

#include "framework/AfxApp.h"
#include "framework/AfxBars.h"
#include "framework/AfxCmdUI.h"
#include "framework/AfxCtl.h"
#include "framework/AfxDlg.h"
#include "framework/AfxDoc.h"
#include "framework/AfxEdit.h"
#include "framework/AfxFile.h"
#include "framework/AfxFrame.h"
#include "framework/AfxGdi.h"
#include "framework/AfxHandles.h"
#include "framework/AfxPrint.h"
#include "framework/AfxMenu.h"
#include "framework/AfxStr.h"
#include "framework/AfxView.h"
#include "framework/AfxWin.h"
