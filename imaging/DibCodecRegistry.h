// The format dispatch of CDibImage over codecs that live outside the image library: a codec
// (Wavenor's PNG, in imaging_ext) registers its decode and encode for its format type from a
// namespace-scope initialiser of its own file, so the library never names it. A type nobody
// registered stays an unknown format. Registration happens before main and the table is read
// only afterwards.
#pragma once

#include "imaging/DibImage.h"

struct DibCodecEntry {
    bool (*decode)(CDibImage& image, CDibFile* file);
    bool (*encode)(CDibImage& image, CDibFile* file);
};

// Stores the codec of a format type (1 to DIBIMAGE_FORMAT_SLOTS); returns true, so that a codec
// registers with "const bool registered = RegisterDibCodec(...)".
bool RegisterDibCodec(DWORD type, DibCodecEntry codec);
// The registered codec of a type, or nullptr.
const DibCodecEntry* RegisteredDibCodec(DWORD type);

// A fresh codec object gets the caller's attributes (escape, JPEG scale, codec options),
// decodes, and on success hands its picture over.
template <class Codec> bool DecodeWith(CDibImage& image, CDibFile* file) {
    Codec codec;
    codec.CopyAttributes(image);
    if (codec.Decode(file))
        return image.TransferFrom(codec, true);
    image.SetLastError(codec.GetLastErrorText());
    return false;
}

// The codec object is a view of the caller's picture that owns nothing.
template <class Codec> bool EncodeWith(CDibImage& image, CDibFile* file) {
    Codec codec;
    codec.AttachShared(&image);
    if (codec.Encode(file))
        return true;
    image.SetLastError(codec.GetLastErrorText());
    return false;
}

// The entry of a codec class, for RegisterDibCodec.
template <class Codec> constexpr DibCodecEntry DibCodecOf() {
    return {&DecodeWith<Codec>, &EncodeWith<Codec>};
}
