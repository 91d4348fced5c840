#include "app/ErrorTexts.h"

#include "resources/StringIds.h"

namespace {

KstErrorMessage Shown(int id, KstMessageButtons buttons = KstMessageButtons::Ok, int result = -1)
{
    KstErrorMessage message;
    message.shown = true;
    message.stringId = id;
    message.buttons = buttons;
    message.result = result;
    return message;
}

}  // namespace

KstErrorMessage KstOnlineErrorMessage(int code, bool askReconnect)
{
    switch (code) {
        case 0:
        case -1013:  // the user cancelled, or the message was shown already
            return {};
        case -1414:
            return askReconnect ? Shown(KST_STR_ONL_TIMEOUT_RECONNECT, KstMessageButtons::YesNoStop)
                                : Shown(KST_STR_ONL_TIMEOUT);
        case -1350:
            return askReconnect
                       ? Shown(KST_STR_ONL_DATA_LOST_RECONNECT, KstMessageButtons::YesNoStop)
                       : Shown(KST_STR_ONL_DATA_LOST);
        case -1348:
            return Shown(KST_STR_ONL_BUFFER_REQUEST);
        case -1347:
            return Shown(KST_STR_ONL_NO_TIME);
        case -1355:
        case -1327:
            return Shown(KST_STR_ONL_NO_DATA);
        case -100:
            return Shown(KST_STR_ONL_MEMORY_LIMIT, KstMessageButtons::OkExclamation);
        case -1330:
            return Shown(KST_STR_ONL_RECORDING_INCOMPLETE, KstMessageButtons::OkExclamation);
        case -1331:
            return Shown(KST_STR_ONL_RECORDING_NOT_CREATED, KstMessageButtons::OkExclamation);
        default: {
            KstErrorMessage message =
                Shown(askReconnect ? KST_STR_ONL_CONNECT_FAILED : KST_STR_ONL_TRANSFER_ERROR);
            message.prefixCode = true;
            return message;
        }
    }
}

KstErrorMessage KstFileErrorMessage(int code)
{
    switch (code) {
        case -1201: return Shown(KST_STR_ERR_FILE_NOT_FOUND);
        case -1202: return Shown(KST_STR_ERR_NOT_FAMOS);
        case -1203: return Shown(KST_STR_ERR_FAMOS_VERSION);
        case -1204: return Shown(KST_STR_ERR_FILE_NOT_OPENED);
        // The readers keep what they read before the end.
        case -1205: return Shown(KST_STR_ERR_FILE_CUT_SHORT);
        case -1206: return Shown(KST_STR_ERR_FILE_NOT_LOADED);
        case -1207:
        case -1232: return Shown(KST_STR_ERR_NOT_FAMOS_OR_UDB);
        case -1208: return Shown(KST_STR_ERR_NOT_ASCII);
        case -1209: return Shown(KST_STR_ERR_NOT_NATIVE);
        // Only a notice: the caller goes on.
        case -1210: return Shown(KST_STR_ERR_NO_DISPLAY_SETTINGS, KstMessageButtons::Ok, 0);
        case -1211: return Shown(KST_STR_ERR_FAMOS_FEATURES);
        case -1212: return Shown(KST_STR_ERR_NOT_WAV);
        case -1213: return Shown(KST_STR_ERR_WRONG_MODE);
        case -1214: return Shown(KST_STR_ERR_ASCII_FORMAT);
        case -1215: return Shown(KST_STR_ERR_ASCII_BLOCK);
        case -1216: return Shown(KST_STR_ERR_NOT_DASYLAB);
        case -1217: return Shown(KST_STR_ERR_DASYLAB_FEATURES);
        // A MAT file without the "MATLAB" text is one of the old level-4 layout.
        case -1229:
        case -1230: return Shown(KST_STR_ERR_MATLAB_FEATURES);
        case -1237: return Shown(KST_STR_ERR_IMAGE_FORMAT);
        case -1300: return Shown(KST_STR_ERR_GENERAL_LOAD);
        default: return {};
    }
}
