// The document: empty, since pictures never pass through it.
#pragma once

#include "framework/Afx.h"

class CNorvelDoc : public CDocument {
    DECLARE_DYNCREATE(CNorvelDoc)
public:
    BOOL OnNewDocument() override;
    void Serialize(CArchive& ar) override;
};
