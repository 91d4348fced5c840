#pragma once
// The program's message boxes as the document, the main view and the main frame show them: in
// the user's language, with the product's caption, owned by the main window once it exists.
#include <windows.h>

class IKSTMessageSink {
public:
    virtual ~IKSTMessageSink() = default;

    virtual int MessageBoxText(const char* text, UINT flags) = 0;
    // String `id` of the current language.
    virtual int MessageBoxId(int id, UINT flags) = 0;
    // A device or connection error: 0 when nothing was shown, -1 after a plain message, else
    // the button of the reconnect question (IDYES, IDNO).
    virtual int ShowErrorCode(int code, bool askReconnect) = 0;
    // -1 after an error message, 0 for a notice and for codes without a message.
    virtual int ShowFileError(int code) = 0;
    virtual bool IsEnglish() const = 0;
};
