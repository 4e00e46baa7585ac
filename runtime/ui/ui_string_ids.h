/* Identifiers of the layer's string resources, shared by ui_strings.rc and the code. */
#ifndef MOVRA_UI_STRING_IDS_H
#define MOVRA_UI_STRING_IDS_H
#define IDS_UI_KEY_BKSP 64000
#define IDS_UI_KEY_TAB 64001
#define IDS_UI_KEY_ESC 64002
#define IDS_UI_KEY_ENTER 64003
#define IDS_UI_KEY_SPACE 64004
#define IDS_UI_KEY_PGUP 64005
#define IDS_UI_KEY_PGDN 64006
#define IDS_UI_KEY_END 64007
#define IDS_UI_KEY_HOME 64008
#define IDS_UI_KEY_LEFT 64009
#define IDS_UI_KEY_UP 64010
#define IDS_UI_KEY_RIGHT 64011
#define IDS_UI_KEY_DOWN 64012
#define IDS_UI_KEY_INS 64013
#define IDS_UI_KEY_DEL 64014
#define IDS_UI_KEY_SHIFT 64015
#define IDS_UI_KEY_CTRL 64016
#define IDS_UI_KEY_ALT 64017
#define IDS_UI_MSG_OK 64030
#define IDS_UI_MSG_CANCEL 64031
#define IDS_UI_ERR_MODAL 64040
#define IDS_UI_ERR_FOCUS 64041
#endif
