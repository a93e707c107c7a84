/* Ids the framework reserves; plain defines so the resource script can use them too. */
#pragma once

#define AFX_IDW_TOOLBAR 0xE800
#define AFX_IDW_STATUS_BAR 0xE801
#define AFX_IDW_PANE_FIRST 0xE900

#define AFX_IDS_APP_TITLE 0xE000
#define AFX_IDS_IDLEMESSAGE 0xE001

#define ID_FILE_NEW 0xE100
#define ID_FILE_OPEN 0xE101
#define ID_FILE_SAVE 0xE103
#define ID_FILE_SAVE_AS 0xE104
#define ID_FILE_PRINT_SETUP 0xE106
#define ID_FILE_PRINT 0xE107
#define ID_FILE_PRINT_DIRECT 0xE108
#define ID_FILE_PRINT_PREVIEW 0xE109
#define ID_APP_ABOUT 0xE140
#define ID_APP_EXIT 0xE141
#define ID_SEPARATOR 0

/* Resource type of toolbar layouts. */
#define RT_TOOLBAR_ID 241

/* File-error messages: AFX_IDP_FILE_NONE + CFileException cause (0 to 14). */
#define AFX_IDP_FILE_NONE 0xF1A0
#define AFX_IDP_FILE_EOF 0xF1AE

/* Pictures drawn for larger screens sit beside their 96-dpi resource, at 150 % and 200 % of it
   (AfxDpiBitmapId picks the nearest). */
#define AFX_ID_SCALED_150(id) ((id) + 0x1000)
#define AFX_ID_SCALED_200(id) ((id) + 0x2000)
