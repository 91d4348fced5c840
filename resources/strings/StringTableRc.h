// Expansion of a KST_STRING list into STRINGTABLE entries: the German text under the id, the
// English text under the id + 1000. Included by resource scripts inside STRINGTABLE BEGIN/END.
#define KST_STRING(name, id, german, english) id, german id + 1000, english
