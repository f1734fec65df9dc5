// The tables of controls.h: where each window's controls are, what they
// show and how they behave, and their scaling to a window's DPI.

#include "controls.h"

#include <iterator>

#include "app.h"
#include "strings.h"

namespace {

const Control kMainControls[] = {
    {IDC_SECRET_BUTTON, "BUTTON", text::kSelectSecret, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 8, 7, 84,
     30},
    {IDC_PASSWORD, "EDIT", "", WS_TABSTOP | ES_PASSWORD, WS_EX_CLIENTEDGE, 100, 43, 450, 20},
    {IDC_PUBLIC_BUTTON, "BUTTON", text::kSelectPublic, WS_TABSTOP, 0, 8, 72, 84, 30},
    {IDC_FILE_BUTTON, "BUTTON", text::kSelectFile, WS_TABSTOP, 0, 8, 114, 84, 29},
    {IDC_ENCRYPT, "BUTTON", text::kEncrypt, WS_TABSTOP, 0, 354, 182, 80, 30},
    {IDC_DECRYPT, "BUTTON", text::kDecrypt, WS_TABSTOP, 0, 459, 182, 80, 30},
    {IDC_SECRET_FIELD, "STATIC", text::kSecretHint, 0, WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES, 100,
     12, 450, 20},
    {IDC_PASSWORD_LABEL, "STATIC", text::kPasswordLabel, SS_CENTER, 0, 9, 46, 83, 18},
    {IDC_INFO, "EDIT", "", ES_READONLY, WS_EX_CLIENTEDGE, 100, 153, 451, 20},
    {IDC_PUBLIC_FIELD, "STATIC", text::kPublicHint, 0, WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES, 100,
     77, 450, 20},
    {IDC_FILE_FIELD, "STATIC", text::kFileHint, 0, WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES, 100, 115,
     450, 30},
    {IDC_INFO_LABEL, "STATIC", text::kInfoLabel, SS_CENTER, 0, 4, 156, 92, 14},
    {IDC_SHOW_PASSWORD, "BUTTON", text::kShowPassword, WS_TABSTOP | BS_AUTOCHECKBOX, 0, 20, 190,
     131, 15},
    {IDC_COMPRESS, "BUTTON", text::kCompress, WS_TABSTOP | BS_AUTOCHECKBOX, 0, 169, 190, 123, 16},
};

const Control kKeyPairControls[] = {
    {IDK_USER_ID, "EDIT", "", WS_TABSTOP, WS_EX_CLIENTEDGE, 105, 15, 450, 20},
    {IDK_FIRST, "EDIT", "", WS_TABSTOP | ES_PASSWORD, WS_EX_CLIENTEDGE, 105, 45, 450, 20},
    {IDK_SECOND, "EDIT", "", WS_TABSTOP | ES_PASSWORD, WS_EX_CLIENTEDGE, 105, 76, 450, 20},
    {IDK_CREATE, "BUTTON", text::kCreateKeyPair, WS_TABSTOP, 0, 453, 104, 92, 29},
    {IDK_FIRST_LABEL, "STATIC", text::kPasswordLabel, 0, 0, 8, 49, 83, 20},
    {IDK_SECOND_LABEL, "STATIC", text::kSecondPasswordLabel, 0, 0, 8, 80, 95, 23},
    {IDK_USER_ID_LABEL, "STATIC", text::kUserIdLabel, 0, 0, 8, 16, 86, 20},
    {IDK_HINT1, "STATIC", text::kKeyPairHint1, 0, 0, 15, 117, 413, 15},
    {IDK_SHOW_PASSWORD, "BUTTON", text::kShowPassword, WS_TABSTOP | BS_AUTOCHECKBOX, 0, 425, 147,
     137, 20},
    {IDK_HINT2, "STATIC", text::kKeyPairHint2, 0, 0, 15, 140, 376, 15},
};

}  // namespace

// Resized and minimised, not maximised.
const Layout kMainLayout = {
    text::kMainTitle,
    WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX,
    WS_EX_CONTROLPARENT,
    true,
    570,
    276,
    {kMainControls, std::size(kMainControls)},
};

// A caption and a close box only; shown once it is initialised.
const Layout kKeyPairLayout = {
    text::kKeyPairTitle,
    WS_CAPTION | WS_SYSMENU,
    0,
    false,
    573,
    206,
    {kKeyPairControls, std::size(kKeyPairControls)},
};

// Characters 12 pixels high at 96 DPI, in a sans-serif face (FF_SWISS).
const FontDef kFontF1 = {-12, 400, 0x20};
const FontDef kFontF3 = {18, 600, 0};
const FontDef kFontF4 = {13, 500, 0};

int scale(int length, int dpi) {
    return MulDiv(length, dpi, kBaseDpi);
}

RECT control_rect(const Control &c, int dpi) {
    return {scale(c.x, dpi), scale(c.y, dpi), scale(c.x + c.w, dpi), scale(c.y + c.h, dpi)};
}
