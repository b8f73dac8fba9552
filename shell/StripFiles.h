// The thumbnail strip of Tessary's main window and its file commands: the strip over the list
// 1002, its clicks, the file popup, the picture and video tabs, Open, Save as, Save All,
// Delete, Delete All and E-Mail, and the requests to open a picture or play a recording, which
// the window posts to itself and carries out.
//
// Everything here runs on the UI thread.
#pragma once

#include "kit/ToggleBitmapButton.h"

#include "platform/mfc/AfxWin.h"

#include <functional>
#include <string>

// Posted to the main window: open the selected picture, play the selected recording.
#define WM_APP_OPEN_PICTURE (WM_APP + 10)
#define WM_APP_PLAY_VIDEO (WM_APP + 11)

class StripFiles {
public:
    using ButtonOf = std::function<CToggleBitmapButton*(int id)>;

    // `setListMode` switches the strip's background and listing between pictures (1) and
    // videos (0).
    StripFiles(CWnd& window, ButtonOf button, std::function<void(int)> setListMode)
        : m_window(window), m_button(std::move(button)), m_setListMode(std::move(setListMode)) {}
    StripFiles(const StripFiles&) = delete;
    StripFiles& operator=(const StripFiles&) = delete;

    // Builds the strip over the list 1002 once the save folders are known; false when a strip
    // exists already or the list is missing. Release deletes it at shut-down.
    bool Bind();
    void Release();
    // The strip's part of the input hook: a left press inside the strip selects, a double
    // click selects and opens, a right press selects and shows the file popup.
    void OnMouse(const MSG& msg);
    // A double click on the strip's item at `path`: the path becomes the selected one; a
    // picture ("bmp", "BMP", "jpg" or "JPG") of one of the capture sizes is opened, any other
    // picture nothing; in the videos mode the recording is played. 1 when something was asked
    // for (the message is posted).
    int OpenItem(const WCHAR* path);
    const WCHAR* SelectedPath() const { return m_selectedPath; }
    // The selected picture, when it can be opened; else the operator is told and false.
    bool SelectedPictureOpens() const;
    // The recording of the selected first-frame picture; empty when there is none.
    std::u16string SelectedVideo() const;

    void ShowPictures();
    void ShowVideos();
    void Open();
    void SaveAs();
    void SaveAll();
    void Delete();
    void DeleteAll();
    void SendMail();

private:
    // The selected item's path into `path`; false, the operator told, when none is selected.
    bool Selected(WCHAR* path, bool ownerBox, LPCWSTR caption = nullptr) const;

    CWnd& m_window;
    ButtonOf m_button;
    std::function<void(int)> m_setListMode;
    WCHAR m_selectedPath[MAX_PATH]{};
};
