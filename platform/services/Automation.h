// What the typed automation stand-ins ("Word.Application", "Excel.Application") share: the
// error a rejected call raises, as the automation client's dispatch exception would, and the
// test seam that makes creating an application fail as on a machine without the application.
#pragma once

#include <stdexcept>
#include <string>

namespace ms {

// A member call that the application rejects (a picture that cannot be read, a file that
// cannot be written, a call on an application that has quit). what() is the application's
// message, UTF-8.
class AutomationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A picture file (any format Qt reads: BMP, JPEG, PNG...) PNG-encoded, as the applications
// embed it, with its size in pixels. Throws AutomationError when it is no readable picture.
struct EmbeddedPicture {
    std::string png;
    int width = 0;
    int height = 0;
};
EmbeddedPicture LoadPictureFile(const std::u16string& fileName);

// Whether the application of that programmatic identifier may be created now (false once
// after ms::test::FailNextAutomationCreate).
bool AutomationCreateAllowed(const std::u16string& progId);

} // namespace ms

namespace ms::test {
// The next creation of that programmatic identifier's application fails.
void FailNextAutomationCreate(const std::u16string& progId);
} // namespace ms::test
