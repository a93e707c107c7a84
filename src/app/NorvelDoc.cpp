#include "app/NorvelDoc.h"

IMPLEMENT_DYNCREATE(CNorvelDoc, CDocument)

BOOL CNorvelDoc::OnNewDocument() {
    return CDocument::OnNewDocument();
}

void CNorvelDoc::Serialize(CArchive&) {
    // Nothing is read or written in either direction.
}
