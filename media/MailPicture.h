// The JPEG copy of a picture that a mail carries, as both programs' e-mail strips make it. It
// is inline because each program links an image library of its own (Wavenor's reads PNG).
#pragma once

#include "media/MailAttachment.h"

#include "imaging/DibImage.h"

#include <string>

namespace ms {

// Writes the picture `path`, loaded as `type` (another format is found by its contents where
// the image library can), as a JPEG of quality 90 into the private mail folder, named as the
// picture with the extension "jpg"; the copies of earlier mails go first. Fills the copy's
// path and name. False after showing "imageEmail Create fail" (the picture cannot be read) or
// "Compress fail" (the copy cannot be written) over `window` with `caption`.
inline bool MakeMailPictureCopy(HWND window, const std::u16string& path, DWORD type,
                                LPCWSTR caption, std::u16string& attachment, std::u16string& name) {
    const std::size_t slash = path.find_last_of(u"/\\");
    name = slash == std::u16string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind(u'.');
    if (dot != std::u16string::npos)
        name = name.substr(0, dot + 1) + u"jpg";
    const std::u16string folder = MailAttachmentDir();
    // The mail program has long read the copies of earlier mails.
    DeleteJpgFiles(folder.c_str());
    CDibImage image(path.c_str(), type);
    if (!image.IsValid()) {
        ::MessageBox(window, u"imageEmail Create fail", caption, MB_ICONEXCLAMATION);
        return false;
    }
    image.SetJpegLevel(90);
    attachment = folder + u"/" + name;
    if (folder.empty() || !image.SaveToFile(attachment.c_str(), DIBIMAGE_TYPE_JPG)) {
        ::MessageBox(window, u"Compress fail", caption, MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

} // namespace ms
