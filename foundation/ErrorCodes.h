#pragma once
// Program-wide error numbering: 0 is success, failures are negative and passed up unchanged.
// Families: -10xx general and windows, -11xx index and registry, -12xx files and formats,
// -13xx properties and device clients, -14xx sockets, -17xx threads, -18xx serial port,
// -19xx database.

enum KstError : int {
    KST_OK = 0,

    KST_ERR_WINDOW_CREATE = -1003,
    KST_ERR_WOULD_BLOCK = -1003,  // a socket call would block, or a host lookup failed for now
    KST_ERR_SELECTION_CANCELLED = -1013,  // a channel selection was not confirmed
    KST_ERR_EVENT = -1014,
    KST_ERR_MUTEX = -1015,
    KST_ERR_NEGATIVE_DURATION = -1016,
    KST_ERR_CHANNEL_KIND = -1016,  // a channel of a kind that the format cannot store
    KST_ERR_NO_SOUND_DEVICE = -1017,  // a sound player operation without an open device
    KST_ERR_LOCK_NOT_OBTAINED = -1019,
    KST_ERR_SOCKET_NOT_READY = -1020,  // send on a socket that is not open or not blocking

    KST_ERR_INDEX = -1103,  // thrown as a plain int by index and size checks
    KST_ERR_REG_KEY_NOT_OPENED = -1104,
    KST_ERR_VARIABLE_INDEX = -1104,  // a file variable index out of range

    KST_ERR_SHORT_TRANSFER = -1200,
    KST_ERR_OPEN_FAILED = -1201,
    KST_ERR_NOT_FAMOS = -1202,  // a FAMOS file that does not start with "|CF,"
    KST_ERR_FAMOS_VERSION = -1203,  // a FAMOS channel read from an object of neither version
    KST_ERR_FILE_NOT_OPEN = -1204,
    KST_ERR_END_OF_DATA = -1205,
    KST_ERR_INDEX_BEYOND = -1206,  // a channel or component beyond a file's position index
    KST_ERR_BAD_VERSION = -1207,   // a UniversalDataBinFile version outside 102..107
    KST_ERR_NOT_CONTAINER = -1209,  // the first bytes are not the native container's magic
    KST_ERR_NO_SETTINGS = -1210,    // no display settings in a native file
    KST_ERR_BAD_KEY = -1211,  // a FAMOS key that is missing, of another kind or out of range
    KST_ERR_NOT_WAV = -1212,  // no RIFF/WAVE header
    KST_ERR_NOT_OPEN_FOR_WRITING = -1213,
    KST_ERR_NOT_DASYLAB = -1216,          // no "DTDF" and CR, or no "IN" after the header text
    KST_ERR_DASYLAB_UNSUPPORTED = -1217,  // a DASYLab structure this reader does not know
    KST_ERR_BAD_HEADER = -1218,
    KST_ERR_BAD_DATA_TYPE = -1219,  // a UniversalDataBinFile data or time type outside 1..15
    KST_ERR_ACCESS_DENIED = -1220,
    KST_ERR_NEWER_KINDS = -1221,     // native file with record kinds newer than the program
    KST_ERR_MALFORMED_LINE = -1224,  // a key-file line that is neither section, entry nor blank
    KST_ERR_REG_WRITE = -1225,
    KST_ERR_UNKNOWN_PROPERTY_TYPE = -1226,
    KST_ERR_INCLUDE_TOO_DEEP = -1227,  // key-file includes nested beyond the limit
    KST_ERR_UNKNOWN_FILE_TYPE = -1228,
    KST_ERR_NOT_MAT = -1229,          // the file does not begin with "MATLAB"
    KST_ERR_MAT_UNSUPPORTED = -1230,  // a MAT element this reader does not know (compressed too)
    KST_ERR_WAV_NOT_PCM = -1231,      // a WAV format other than 8- or 16-bit PCM
    KST_ERR_SHORT_HEADER = -1232,  // a UniversalDataBinFile header field came up short
    KST_ERR_BLOCK_ID_MISMATCH = -1234,  // a process block ends with another id than it began
    KST_ERR_UNEXPECTED_TAG = -1235,     // a tag a process block or element does not allow
    // A record that must follow is absent; also a block end where no block is open.
    KST_ERR_MISSING_RECORD = -1236,
    KST_ERR_PICTURE_FILE = -1237,  // a BMP, GIF or JPEG picture opened as measurement data
    KST_ERR_INCLUDE_SLOT = -1238,
    KST_ERR_TOO_LARGE = -1239,  // a file or length beyond what a memory buffer or text can hold
    // A record whose declared length does not hold its fields, or whose sizes and counts
    // contradict it.
    KST_ERR_BAD_RECORD = -1240,

    KST_ERR_INVALID_PACKED_BLOCK = -1300,  // packed sample block that cannot be decoded
    KST_ERR_CHECKSUM = -1300,              // a record file's MD5 text does not match it
    KST_ERR_PROPERTY_MISSING = -1302,
    KST_ERR_PROPERTY_TYPE = -1303,
    KST_ERR_NODE_NOT_CONNECTED = -1320,      // a node transaction while not connected
    KST_ERR_NODE_ALREADY_CONNECTED = -1321,
    KST_ERR_NODE_RECORDING_STATUS = -1323,   // status reply without its status or times
    KST_ERR_NODE_NO_ACK = -1324,             // old firmware did not acknowledge a command
    KST_ERR_NODE_NO_ERROR_CODE = -1325,      // reply without "ErrorCode", or values refused
    KST_ERR_NODE_BUSY = -1326,               // the node connection stayed busy for 30 s
    KST_ERR_NODE_NO_FIFOS = -1327,           // the node listed no FIFO, or none was selected

    KST_ERR_SOCKET = -1400,  // accept, peek, UDP socket set-up or send, blocking-mode switch
    KST_ERR_SOCKET_CREATE = -1403,
    KST_ERR_SOCKET_BIND = -1404,
    KST_ERR_SOCKET_LISTEN = -1405,
    KST_ERR_HOST_UNKNOWN = -1407,
    KST_ERR_SOCKET_UDP_CONNECT = -1408,
    KST_ERR_SOCKET_SHUTDOWN = -1409,
    KST_ERR_SOCKET_CLOSE = -1410,
    KST_ERR_SOCKET_RECEIVE = -1411,  // waiting or receiving failed
    KST_ERR_PEER_CLOSED = -1412,     // the peer closed with nothing pending
    KST_ERR_SOCKET_SEND = -1413,     // connect or send failed
    KST_ERR_TIMEOUT = -1414,
    KST_ERR_ADDRESS_LENGTH = -1415,
    KST_ERR_SOCKET_LENGTH = -1416,  // empty text to send, or a length that cannot be held

    KST_ERR_SOUND_DEVICE = -1650,     // the sound device cannot be opened, or no memory for it
    KST_ERR_SOUND_UNSUITABLE = -1651,  // channels that cannot be played or written as sound
    KST_ERR_SOUND_RANGE = -1652,       // values that do not use the 16-bit range

    KST_ERR_THREAD_START = -1700,
    KST_ERR_THREAD_KILLED = -1701,  // exit code given to a terminated thread

    KST_ERR_SERIAL_READ = -1800,         // a byte could not be read during ReadBytes
    KST_ERR_SERIAL_PORT_NUMBER = -1801,  // port number below 1, or never opened
    KST_ERR_SERIAL_ALREADY_OPEN = -1802,
    KST_ERR_SERIAL_NO_DEVICE = -1803,         // platform error 2
    KST_ERR_SERIAL_ACCESS_DENIED = -1804,     // platform error 5: another program holds the port
    KST_ERR_SERIAL_NOT_OPEN = -1805,          // platform error 6, or the port is not open
    KST_ERR_SERIAL_DEVICE = -1806,            // any other platform error of the device
    KST_ERR_SERIAL_SETTINGS_REFUSED = -1807,  // line settings or handshake not taken by the device
    KST_ERR_SERIAL_TIMEOUT = -1808,           // ReadBytes time-out
};
