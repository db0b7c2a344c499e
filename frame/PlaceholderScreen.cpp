#include "frame/PlaceholderScreen.h"

#include "host/win/DialogTemplate.h"

CPlaceholderScreen::CPlaceholderScreen(const char* caption) : CBASEBASE(IDD_PLACEHOLDER_SCREEN, nullptr) {
    static const bool registered = [] {
        win::TemplateBuilder(IDD_PLACEHOLDER_SCREEN, "").Button(IDCANCEL, "返回[&R]", 0, 0).Register();
        return true;
    }();
    (void)registered;
    m_caption = caption ? caption : "";
}

BOOL CPlaceholderScreen::OnInitDialog() {
    CBASEBASE::OnInitDialog();
    SetWindowText(m_caption);
    return TRUE;
}
