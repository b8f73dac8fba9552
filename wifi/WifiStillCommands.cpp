// The frozen frame: freezing the live stream into a still view over the video area, unfreezing
// it, the picture effects on the frozen frame and its saving. The stream keeps playing into the
// hidden video area meanwhile, so unfreezing needs no new connection.
#include "wifi/WifiGlobals.h"
#include "wifi/WifiMicroscopeDlg.h"

#include "wifi_measure/MeasureItem.h"
#include "wifi_measure/StillMeasureView.h"

#include "imaging/DibImage.h"

#include "platform/mfc/AfxDlgs.h"
#include "platform/win/core/Files.h"
#include "res/WavenorResource.h"

#include <string>

namespace {

constexpr int kRedBit = 0x1, kGreenBit = 0x10, kBlueBit = 0x100;

std::u16string FrozenFramePath() {
    return std::u16string(g_paths.dataDir) + u"/tempImage.png";
}

bool MirrorPicture(CDibImage& image) {
    return image.Mirror();
}
bool FlipPicture(CDibImage& image) {
    return image.Flip();
}
bool NegativePicture(CDibImage& image) {
    return image.Negative();
}
bool BinarizePicture(CDibImage& image) {
    return image.AdaptiveThreshold(0, 64, nullptr, 0, 0.5f);
}

} // namespace

void CWifiMicroscopeDlg::FreezeLiveImage(BOOL unfreeze) {
    if (unfreeze) {
        // Also when the stream has ended meanwhile: the frozen frame never outlives Preview.
        DestroyStillView();
        ::ShowWindow(::GetDlgItem(m_hWnd, IDC_VIDEO), SW_SHOW);
        ::ShowWindow(::GetDlgItem(m_hWnd, IDC_STILL_PLACEHOLDER), SW_HIDE);
        EnableCaptureButtons();
        ResetEffectButtons();
        ResetToolButtons();
        return;
    }
    if (m_playing != 1 || !m_vlcPlayer)
        return;
    if (!m_stillView) {
        ReadVideoSize();
        // The previous freeze's file goes first: a snapshot that fails must not show an older
        // frame as if it were this one.
        const std::u16string path = FrozenFramePath();
        DeleteFile(path.c_str());
        if (!WriteCurrentFrame(path) || !CreateStillView())
            return;
    }
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_STILL_PLACEHOLDER), SW_SHOW);
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_VIDEO), SW_HIDE);
    DisableCaptureButtons();
    EnableToolButtons();
}

void CWifiMicroscopeDlg::FreezeWhenLive() {
    if (g_previewState != 2)
        return;
    FreezeLiveImage(FALSE);
    // Without a frozen frame on the screen the window stays live, so Preview still restarts a
    // stream that has gone.
    if (m_stillView)
        g_previewState = 3;
}

bool CWifiMicroscopeDlg::CreateStillView() {
    RECT area;
    ::GetWindowRect(::GetDlgItem(m_hWnd, IDC_STILL_PLACEHOLDER), &area);
    ScreenToClient(&area);
    const int width = area.right - area.left, height = area.bottom - area.top;
    auto view = std::make_unique<CStillMeasureView>();
    view->m_imagePath = FrozenFramePath().c_str();
    view->m_pageWidth = width;
    view->m_pageHeight = height;
    view->m_viewMode = g_stillViewMode;
    if (!view->Create(IDD_STILL_VIEW, this))
        return false;
    view->MoveWindow(area.left, area.top, width, height, FALSE);
    if (g_stillViewMode == STILL_VIEW_ACTUAL)
        view->UpdateScrollBars();
    view->ShowWindow(SW_SHOW);
    m_stillView = std::move(view);
    return true;
}

void CWifiMicroscopeDlg::DestroyStillView() {
    // The measurements and what undo took back belong to this frozen frame: both lists go with
    // it (the view's own destruction empties them too).
    DeleteAllStillItems();
    if (!m_stillView)
        return;
    if (m_stillView->m_hWnd)
        m_stillView->DestroyWindow();
    m_stillView.reset();
}

void CWifiMicroscopeDlg::ApplyEffect(int buttonId, bool (*operation)(CDibImage&)) {
    FreezeWhenLive();
    if (!m_stillView || !m_stillView->HasPicture())
        return;
    CToggleBitmapButton* button = ToggleButton(buttonId);
    const bool wasPressed = button && button->IsPressed();
    ResetEffectButtons();
    if (wasPressed)
        return; // the picture keeps the effect; a third press applies it again
    if (button)
        button->SetPressed();
    operation(*m_stillView->m_image);
    m_stillView->PostMessage(WM_APP_REDRAW_STILL, 0, 0);
}

void CWifiMicroscopeDlg::OnMirror() {
    ApplyEffect(IDC_MIRROR, MirrorPicture);
}
void CWifiMicroscopeDlg::OnFlip() {
    ApplyEffect(IDC_FLIP, FlipPicture);
}
void CWifiMicroscopeDlg::OnNegative() {
    ApplyEffect(IDC_NEGATIVE, NegativePicture);
}
void CWifiMicroscopeDlg::OnBinarize() {
    ApplyEffect(IDC_BINARY, BinarizePicture);
}

void CWifiMicroscopeDlg::ToggleChannel(int buttonId, int bit) {
    struct Channel {
        int id, bit;
    };
    static constexpr Channel kChannels[] = {
        {IDC_RED, kRedBit}, {IDC_GREEN, kGreenBit}, {IDC_BLUE, kBlueBit}};
    FreezeWhenLive();
    if (!m_stillView || !m_stillView->HasPicture())
        return;

    // Two colours shown and a third pressed: only the third remains.
    int othersDown = 0;
    for (const Channel& c : kChannels)
        if (c.id != buttonId && ToggleButton(c.id) && ToggleButton(c.id)->IsPressed())
            ++othersDown;
    if (othersDown == 2)
        for (const Channel& c : kChannels)
            if (c.id != buttonId)
                ToggleButton(c.id)->ClearPressed();

    ResetEffectButtons();
    CToggleBitmapButton* button = ToggleButton(buttonId);
    if (button && button->IsPressed()) {
        button->ClearPressed();
        g_channelFlags &= ~bit;
    } else {
        if (button)
            button->SetPressed();
        const int others = (kRedBit | kGreenBit | kBlueBit) & ~bit;
        if ((g_channelFlags & others) == others)
            g_channelFlags &= ~others;
        g_channelFlags |= bit;
    }

    // Every colour press starts again from the frame as loaded.
    *m_stillView->m_image = *m_stillView->m_origImage;
    m_stillView->m_image->ShowColorChannels(static_cast<DWORD>(g_channelFlags));
    m_stillView->PostMessage(WM_APP_REDRAW_STILL, 0, 0);
}

void CWifiMicroscopeDlg::OnRedChannel() {
    ToggleChannel(IDC_RED, kRedBit);
}
void CWifiMicroscopeDlg::OnGreenChannel() {
    ToggleChannel(IDC_GREEN, kGreenBit);
}
void CWifiMicroscopeDlg::OnBlueChannel() {
    ToggleChannel(IDC_BLUE, kBlueBit);
}

void CWifiMicroscopeDlg::SaveFrozenFrame() {
    CFileDialog dialog(FALSE, u"PNG", u"*.PNG", OFN_HIDEREADONLY,
                       u"PNG Files(*.PNG)|*.PNG|JPG Files(*.JPG)|*.JPG||", this);
    if (dialog.DoModal() != IDOK)
        return;
    const CString path = dialog.GetPathName();
    if (m_stillView->SaveWithMeasurements(path)) {
        WCHAR text[MAX_PATH + 16];
        swprintf(text, MAX_PATH + 16, u"Save as [%s]", path.GetString());
        AfxMessageBox(text, MB_OK);
    } else {
        AfxMessageBox(u"Save failed", MB_OK);
    }
}
