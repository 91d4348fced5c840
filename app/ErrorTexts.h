#pragma once
// Which message a negative error code gives: one table for online and device errors, one for
// file errors. The texts are string-table ids shown in the current language; win/ shows them.
#include <cstdint>

enum class KstMessageButtons {
    Ok,               // OK
    OkExclamation,    // OK with the exclamation icon
    YesNoStop,        // yes and no with the stop icon; the result is the button
};

struct KstErrorMessage {
    bool shown = false;
    int stringId = 0;
    KstMessageButtons buttons = KstMessageButtons::Ok;
    bool prefixCode = false;  // the code as a signed decimal and a blank come first
    int result = 0;           // when no button is the result
};

// The online table: `askReconnect` turns two of the messages into questions.
KstErrorMessage KstOnlineErrorMessage(int code, bool askReconnect);
// The file table; codes it lacks show nothing and give 0.
KstErrorMessage KstFileErrorMessage(int code);
