// The stand-in for a screen class that is not built yet: an empty dialog with the
// screen table's caption and a return button, so that every number opens.
#pragma once

#include "host/qxcommon/BaseBase.h"

constexpr UINT IDD_PLACEHOLDER_SCREEN = 29999;

class CPlaceholderScreen : public CBASEBASE {
public:
    explicit CPlaceholderScreen(const char* caption);
    BOOL OnInitDialog() override;

private:
    CString m_caption;
};
