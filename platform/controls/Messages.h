// Window messages of the controls layer: message numbers, TMessage and the typed views over it, virtual
// key codes, window styles, and the message services (send, post, peek, pending input) between controls.
#pragma once

#include "platform/graphics/Gdi.h"
#include "platform/rtl/Types.h"

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// ---- Window messages ----
enum : UINT {
  WM_NULL = 0x0000,
  WM_CREATE = 0x0001,
  WM_DESTROY = 0x0002,
  WM_MOVE = 0x0003,
  WM_SIZE = 0x0005,
  WM_ACTIVATE = 0x0006,
  WM_SETFOCUS = 0x0007,
  WM_KILLFOCUS = 0x0008,
  WM_ENABLE = 0x000A,
  WM_SETREDRAW = 0x000B,
  WM_SETTEXT = 0x000C,
  WM_GETTEXT = 0x000D,
  WM_GETTEXTLENGTH = 0x000E,
  WM_PAINT = 0x000F,
  WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012,
  WM_ERASEBKGND = 0x0014,
  WM_SYSCOLORCHANGE = 0x0015,
  WM_SHOWWINDOW = 0x0018,
  WM_WININICHANGE = 0x001A,
  WM_SETTINGCHANGE = WM_WININICHANGE,
  WM_FONTCHANGE = 0x001D,
  WM_CANCELMODE = 0x001F,
  WM_SETCURSOR = 0x0020,
  WM_MOUSEACTIVATE = 0x0021,
  WM_GETMINMAXINFO = 0x0024,
  WM_SETFONT = 0x0030,
  WM_GETFONT = 0x0031,
  WM_WINDOWPOSCHANGING = 0x0046,
  WM_WINDOWPOSCHANGED = 0x0047,
  WM_NOTIFY = 0x004E,
  WM_HELP = 0x0053,
  WM_CONTEXTMENU = 0x007B,
  WM_STYLECHANGED = 0x007D,
  WM_GETICON = 0x007F,
  WM_SETICON = 0x0080,
  WM_NCCREATE = 0x0081,
  WM_NCDESTROY = 0x0082,
  WM_NCCALCSIZE = 0x0083,
  WM_NCHITTEST = 0x0084,
  WM_NCPAINT = 0x0085,
  WM_NCACTIVATE = 0x0086,
  WM_GETDLGCODE = 0x0087,
  WM_NCMOUSEMOVE = 0x00A0,
  WM_NCLBUTTONDOWN = 0x00A1,
  WM_NCLBUTTONUP = 0x00A2,
  WM_NCLBUTTONDBLCLK = 0x00A3,
  WM_KEYFIRST = 0x0100,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_CHAR = 0x0102,
  WM_DEADCHAR = 0x0103,
  WM_SYSKEYDOWN = 0x0104,
  WM_SYSKEYUP = 0x0105,
  WM_SYSCHAR = 0x0106,
  WM_KEYLAST = 0x0109,
  WM_IME_STARTCOMPOSITION = 0x010D,
  WM_IME_ENDCOMPOSITION = 0x010E,
  WM_IME_COMPOSITION = 0x010F,
  WM_INITDIALOG = 0x0110,
  WM_COMMAND = 0x0111,
  WM_SYSCOMMAND = 0x0112,
  WM_TIMER = 0x0113,
  WM_HSCROLL = 0x0114,
  WM_VSCROLL = 0x0115,
  WM_INITMENU = 0x0116,
  WM_INITMENUPOPUP = 0x0117,
  WM_MENUSELECT = 0x011F,
  WM_MENUCHAR = 0x0120,
  WM_ENTERIDLE = 0x0121,
  WM_CTLCOLORMSGBOX = 0x0132,
  WM_CTLCOLOREDIT = 0x0133,
  WM_CTLCOLORLISTBOX = 0x0134,
  WM_CTLCOLORBTN = 0x0135,
  WM_CTLCOLORDLG = 0x0136,
  WM_CTLCOLORSCROLLBAR = 0x0137,
  WM_CTLCOLORSTATIC = 0x0138,
  WM_MOUSEFIRST = 0x0200,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_LBUTTONDBLCLK = 0x0203,
  WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205,
  WM_RBUTTONDBLCLK = 0x0206,
  WM_MBUTTONDOWN = 0x0207,
  WM_MBUTTONUP = 0x0208,
  WM_MBUTTONDBLCLK = 0x0209,
  WM_MOUSEWHEEL = 0x020A,
  WM_MOUSEHWHEEL = 0x020E,
  WM_MOUSELAST = 0x020E,
  WM_PARENTNOTIFY = 0x0210,
  WM_ENTERMENULOOP = 0x0211,
  WM_EXITMENULOOP = 0x0212,
  WM_CAPTURECHANGED = 0x0215,
  WM_DROPFILES = 0x0233,
  WM_MOUSEHOVER = 0x02A1,
  WM_MOUSELEAVE = 0x02A3,
  WM_CUT = 0x0300,
  WM_COPY = 0x0301,
  WM_PASTE = 0x0302,
  WM_CLEAR = 0x0303,
  WM_UNDO = 0x0304,
  WM_PRINT = 0x0317,
  WM_PRINTCLIENT = 0x0318,
  WM_THEMECHANGED = 0x031A,
  WM_USER = 0x0400,
  WM_APP = 0x8000,
};

// ---- Messages of the class library's own (component messages and notifications reflected back) ----
enum : UINT {
  CM_BASE = 0xB000,
  CM_ACTIVATE = CM_BASE + 0,
  CM_DEACTIVATE = CM_BASE + 1,
  CM_GOTFOCUS = CM_BASE + 2,
  CM_LOSTFOCUS = CM_BASE + 3,
  CM_CANCELMODE = CM_BASE + 4,
  CM_DIALOGKEY = CM_BASE + 5,
  CM_DIALOGCHAR = CM_BASE + 6,
  CM_FOCUSCHANGED = CM_BASE + 7,
  CM_PARENTFONTCHANGED = CM_BASE + 8,
  CM_PARENTCOLORCHANGED = CM_BASE + 9,
  CM_HITTEST = CM_BASE + 10,
  CM_VISIBLECHANGED = CM_BASE + 11,
  CM_ENABLEDCHANGED = CM_BASE + 12,
  CM_COLORCHANGED = CM_BASE + 13,
  CM_FONTCHANGED = CM_BASE + 14,
  CM_CURSORCHANGED = CM_BASE + 15,
  CM_CTL3DCHANGED = CM_BASE + 16,
  CM_PARENTCTL3DCHANGED = CM_BASE + 17,
  CM_TEXTCHANGED = CM_BASE + 18,
  CM_MOUSEENTER = CM_BASE + 19,
  CM_MOUSELEAVE = CM_BASE + 20,
  CM_MENUCHANGED = CM_BASE + 21,
  CM_APPKEYDOWN = CM_BASE + 22,
  CM_APPSYSCOMMAND = CM_BASE + 23,
  CM_BUTTONPRESSED = CM_BASE + 24,
  CM_SHOWINGCHANGED = CM_BASE + 25,
  CM_ENTER = CM_BASE + 26,
  CM_EXIT = CM_BASE + 27,
  CM_DESIGNHITTEST = CM_BASE + 28,
  CM_ICONCHANGED = CM_BASE + 29,
  CM_WANTSPECIALKEY = CM_BASE + 30,
  CM_INVOKEHELP = CM_BASE + 31,
  CM_WINDOWHOOK = CM_BASE + 32,
  CM_RELEASE = CM_BASE + 33,
  CM_SHOWHINTCHANGED = CM_BASE + 34,
  CM_PARENTSHOWHINTCHANGED = CM_BASE + 35,
  CM_SYSCOLORCHANGE = CM_BASE + 36,
  CM_WININICHANGE = CM_BASE + 37,
  CM_FONTCHANGE = CM_BASE + 38,
  CM_TIMECHANGE = CM_BASE + 39,
  CM_TABSTOPCHANGED = CM_BASE + 40,
  CM_UIACTIVATE = CM_BASE + 41,
  CM_UIDEACTIVATE = CM_BASE + 42,
  CM_DOCWINDOWACTIVATE = CM_BASE + 43,
  CM_CONTROLLISTCHANGE = CM_BASE + 44,
  CM_GETDATALINK = CM_BASE + 45,
  CM_CHILDKEY = CM_BASE + 46,
  CM_DRAG = CM_BASE + 47,
  CM_HINTSHOW = CM_BASE + 48,
  CM_DIALOGHANDLE = CM_BASE + 49,
  CM_ISTOOLCONTROL = CM_BASE + 50,
  CM_RECREATEWND = CM_BASE + 51,
  CM_INVALIDATE = CM_BASE + 52,
  CM_SYSFONTCHANGED = CM_BASE + 53,
  CM_CONTROLCHANGE = CM_BASE + 54,
  CM_CHANGED = CM_BASE + 55,
  CM_DOCKCLIENT = CM_BASE + 56,
  CM_UNDOCKCLIENT = CM_BASE + 57,
  CM_FLOAT = CM_BASE + 58,
  CM_BORDERCHANGED = CM_BASE + 59,
  CM_BIDIMODECHANGED = CM_BASE + 60,
  CM_PARENTBIDIMODECHANGED = CM_BASE + 61,
  CM_ALLCHILDRENFLIPPED = CM_BASE + 62,
  CM_ACTIONUPDATE = CM_BASE + 63,
  CM_ACTIONEXECUTE = CM_BASE + 64,
  CM_HINTSHOWPAUSE = CM_BASE + 65,
  CM_DOCKNOTIFICATION = CM_BASE + 66,
  CM_MOUSEWHEEL = CM_BASE + 67,
  CM_ISSHORTCUT = CM_BASE + 68,
  CM_UPDATEACTIONS = CM_BASE + 69,
  CM_INVALIDATEDOCKHOST = CM_BASE + 70,
  CM_SETACTIVECONTROL = CM_BASE + 71,
  CM_POPUPHWNDDESTROY = CM_BASE + 72,
  CM_CREATEPOPUP = CM_BASE + 73,
  CM_DESTROYHANDLE = CM_BASE + 74,
  CM_MOUSEACTIVATE = CM_BASE + 75,
  CM_CONTROLLISTCHANGING = CM_BASE + 76,
  CM_BUFFEREDPRINTCLIENT = CM_BASE + 77,
  CM_UNTHEMECONTROL = CM_BASE + 78,
  CM_DOUBLEBUFFEREDCHANGED = CM_BASE + 79,
  CM_PARENTDOUBLEBUFFEREDCHANGED = CM_BASE + 80,
  CM_STYLECHANGED = CM_BASE + 81,
  CM_THEMECHANGED = CM_BASE + 82,
  CM_PARENTTABLETOPTIONSCHANGED = CM_BASE + 83,
  CM_GESTURE = CM_BASE + 84,
  CM_CUSTOMGESTURESCHANGED = CM_BASE + 85,
  CM_STANDARDGESTURESCHANGED = CM_BASE + 86,

  CN_BASE = 0xBC00,
  CN_COMMAND = CN_BASE + WM_COMMAND,
  CN_NOTIFY = CN_BASE + WM_NOTIFY,
  CN_KEYDOWN = CN_BASE + WM_KEYDOWN,
  CN_KEYUP = CN_BASE + WM_KEYUP,
  CN_CHAR = CN_BASE + WM_CHAR,
  CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN,
  CN_SYSCHAR = CN_BASE + WM_SYSCHAR,
  CN_HSCROLL = CN_BASE + WM_HSCROLL,
  CN_VSCROLL = CN_BASE + WM_VSCROLL,
  CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT,
  CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC,
  CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN,
};

// ---- Edit, rich-edit and button messages ----
enum : UINT {
  EM_GETSEL = 0x00B0,
  EM_SETSEL = 0x00B1,
  EM_GETRECT = 0x00B2,
  EM_SETRECT = 0x00B3,
  EM_SETRECTNP = 0x00B4,
  EM_SCROLL = 0x00B5,
  EM_LINESCROLL = 0x00B6,
  EM_SCROLLCARET = 0x00B7,
  EM_GETMODIFY = 0x00B8,
  EM_SETMODIFY = 0x00B9,
  EM_GETLINECOUNT = 0x00BA,
  EM_LINEINDEX = 0x00BB,
  EM_LINELENGTH = 0x00C1,
  EM_REPLACESEL = 0x00C2,
  EM_GETLINE = 0x00C4,
  EM_LIMITTEXT = 0x00C5,
  EM_CANUNDO = 0x00C6,
  EM_UNDO = 0x00C7,
  EM_LINEFROMCHAR = 0x00C9,
  EM_SETPASSWORDCHAR = 0x00CC,
  EM_EMPTYUNDOBUFFER = 0x00CD,
  EM_SETREADONLY = 0x00CF,
  EM_SETMARGINS = 0x00D3,
  EM_GETMARGINS = 0x00D4,
  EM_POSFROMCHAR = 0x00D6,
  EM_CHARFROMPOS = 0x00D7,
  EM_EXGETSEL = WM_USER + 52,
  EM_EXLINEFROMCHAR = WM_USER + 54,
  EM_EXSETSEL = WM_USER + 55,
  EM_FINDTEXT = WM_USER + 56,
  EM_FORMATRANGE = WM_USER + 57,
  EM_GETCHARFORMAT = WM_USER + 58,
  EM_GETEVENTMASK = WM_USER + 59,
  EM_SETBKGNDCOLOR = WM_USER + 67,
  EM_SETCHARFORMAT = WM_USER + 68,
  EM_SETEVENTMASK = WM_USER + 69,
  EM_SETPARAFORMAT = WM_USER + 71,
  EM_GETTEXTRANGE = WM_USER + 75,
  EM_GETTEXTLENGTHEX = WM_USER + 95,

  BM_GETCHECK = 0x00F0,
  BM_SETCHECK = 0x00F1,
  BM_GETSTATE = 0x00F2,
  BM_SETSTATE = 0x00F3,
  BM_SETSTYLE = 0x00F4,
  BM_CLICK = 0x00F5,
};

// Notification codes of WM_COMMAND.
enum : Word {
  EN_SETFOCUS = 0x0100,
  EN_KILLFOCUS = 0x0200,
  EN_CHANGE = 0x0300,
  EN_UPDATE = 0x0400,
  EN_MAXTEXT = 0x0501,
  BN_CLICKED = 0,
};

// Scroll codes of WM_HSCROLL/WM_VSCROLL and scroll-bar kinds.
enum : Integer {
  SB_LINEUP = 0,
  SB_LINELEFT = 0,
  SB_LINEDOWN = 1,
  SB_LINERIGHT = 1,
  SB_PAGEUP = 2,
  SB_PAGELEFT = 2,
  SB_PAGEDOWN = 3,
  SB_PAGERIGHT = 3,
  SB_THUMBPOSITION = 4,
  SB_THUMBTRACK = 5,
  SB_TOP = 6,
  SB_LEFT = 6,
  SB_BOTTOM = 7,
  SB_RIGHT = 7,
  SB_ENDSCROLL = 8,
  SB_HORZ = 0,
  SB_VERT = 1,
  SB_CTL = 2,
  SB_BOTH = 3,
};

// WM_GETDLGCODE answers: which keys the control keeps from the form's dialog navigation.
enum : Integer {
  DLGC_WANTARROWS = 0x0001,
  DLGC_WANTTAB = 0x0002,
  DLGC_WANTALLKEYS = 0x0004,
  DLGC_WANTMESSAGE = 0x0004,
  DLGC_HASSETSEL = 0x0008,
  DLGC_DEFPUSHBUTTON = 0x0010,
  DLGC_UNDEFPUSHBUTTON = 0x0020,
  DLGC_RADIOBUTTON = 0x0040,
  DLGC_WANTCHARS = 0x0080,
  DLGC_STATIC = 0x0100,
  DLGC_BUTTON = 0x2000,
};

// Key flags of mouse messages.
enum : Integer {
  MK_LBUTTON = 0x01,
  MK_RBUTTON = 0x02,
  MK_SHIFT = 0x04,
  MK_CONTROL = 0x08,
  MK_MBUTTON = 0x10
};
constexpr Integer WHEEL_DELTA = 120;

// WM_MOUSEACTIVATE answers and WM_ACTIVATE states.
enum : Integer { MA_ACTIVATE = 1, MA_ACTIVATEANDEAT = 2, MA_NOACTIVATE = 3, MA_NOACTIVATEANDEAT = 4 };
enum : Integer { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };

// WM_NCHITTEST answers.
enum : Integer {
  HTERROR = -2,
  HTTRANSPARENT = -1,
  HTNOWHERE = 0,
  HTCLIENT = 1,
  HTCAPTION = 2,
  HTSYSMENU = 3,
  HTGROWBOX = 4,
  HTSIZE = 4,
  HTMENU = 5,
  HTHSCROLL = 6,
  HTVSCROLL = 7,
  HTMINBUTTON = 8,
  HTMAXBUTTON = 9,
  HTLEFT = 10,
  HTRIGHT = 11,
  HTTOP = 12,
  HTTOPLEFT = 13,
  HTTOPRIGHT = 14,
  HTBOTTOM = 15,
  HTBOTTOMLEFT = 16,
  HTBOTTOMRIGHT = 17,
  HTBORDER = 18,
  HTCLOSE = 20,
};

// WM_SIZE kinds.
enum : Integer { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };

// PeekMessage flags.
enum : UINT { PM_NOREMOVE = 0, PM_REMOVE = 1, PM_NOYIELD = 2 };

// ---- Window styles (CreateParams) ----
enum : DWORD {
  WS_OVERLAPPED = 0x00000000,
  WS_TABSTOP = 0x00010000,
  WS_MAXIMIZEBOX = 0x00010000,
  WS_GROUP = 0x00020000,
  WS_MINIMIZEBOX = 0x00020000,
  WS_THICKFRAME = 0x00040000,
  WS_SIZEBOX = 0x00040000,
  WS_SYSMENU = 0x00080000,
  WS_HSCROLL = 0x00100000,
  WS_VSCROLL = 0x00200000,
  WS_DLGFRAME = 0x00400000,
  WS_BORDER = 0x00800000,
  WS_CAPTION = 0x00C00000,
  WS_MAXIMIZE = 0x01000000,
  WS_CLIPCHILDREN = 0x02000000,
  WS_CLIPSIBLINGS = 0x04000000,
  WS_DISABLED = 0x08000000,
  WS_VISIBLE = 0x10000000,
  WS_MINIMIZE = 0x20000000,
  WS_CHILD = 0x40000000,
  WS_POPUP = 0x80000000,
  WS_OVERLAPPEDWINDOW = 0x00CF0000,

  WS_EX_DLGMODALFRAME = 0x00000001,
  WS_EX_TOPMOST = 0x00000008,
  WS_EX_ACCEPTFILES = 0x00000010,
  WS_EX_TRANSPARENT = 0x00000020,
  WS_EX_TOOLWINDOW = 0x00000080,
  WS_EX_WINDOWEDGE = 0x00000100,
  WS_EX_CLIENTEDGE = 0x00000200,
  WS_EX_RIGHT = 0x00001000,
  WS_EX_RTLREADING = 0x00002000,
  WS_EX_LEFTSCROLLBAR = 0x00004000,
  WS_EX_CONTROLPARENT = 0x00010000,
  WS_EX_STATICEDGE = 0x00020000,
  WS_EX_APPWINDOW = 0x00040000,
  WS_EX_LAYERED = 0x00080000,
  WS_EX_LAYOUTRTL = 0x00400000,
  WS_EX_NOACTIVATE = 0x08000000,

  CS_VREDRAW = 0x0001,
  CS_HREDRAW = 0x0002,
  CS_DBLCLKS = 0x0008,
  CS_SAVEBITS = 0x0800,
  CS_DROPSHADOW = 0x00020000,
};

// ShowWindow and SetWindowPos.
enum : Integer {
  SW_HIDE = 0,
  SW_SHOWNORMAL = 1,
  SW_SHOWMINIMIZED = 2,
  SW_SHOWMAXIMIZED = 3,
  SW_MAXIMIZE = 3,
  SW_SHOWNOACTIVATE = 4,
  SW_SHOW = 5,
  SW_MINIMIZE = 6,
  SW_SHOWNA = 8,
  SW_RESTORE = 9,
};
enum : UINT {
  SWP_NOSIZE = 0x0001,
  SWP_NOMOVE = 0x0002,
  SWP_NOZORDER = 0x0004,
  SWP_NOREDRAW = 0x0008,
  SWP_NOACTIVATE = 0x0010,
  SWP_FRAMECHANGED = 0x0020,
  SWP_SHOWWINDOW = 0x0040,
  SWP_HIDEWINDOW = 0x0080,
  SWP_NOOWNERZORDER = 0x0200,
};
inline const HWND HWND_TOP = reinterpret_cast<HWND>(0);
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);

// ScrollWindowEx and RedrawWindow flags.
enum : UINT {
  SW_SCROLLCHILDREN = 0x0001,
  SW_INVALIDATE = 0x0002,
  SW_ERASE = 0x0004,
  RDW_INVALIDATE = 0x0001,
  RDW_ERASE = 0x0004,
  RDW_FRAME = 0x0400,
  RDW_ALLCHILDREN = 0x0080,
  RDW_UPDATENOW = 0x0100,
  RDW_ERASENOW = 0x0200,
  RDW_NOCHILDREN = 0x0040,
};

// ---- Virtual-key codes ----
enum : Word {
  VK_LBUTTON = 0x01,
  VK_RBUTTON = 0x02,
  VK_CANCEL = 0x03,
  VK_MBUTTON = 0x04,
  VK_BACK = 0x08,
  VK_TAB = 0x09,
  VK_CLEAR = 0x0C,
  VK_RETURN = 0x0D,
  VK_SHIFT = 0x10,
  VK_CONTROL = 0x11,
  VK_MENU = 0x12,
  VK_PAUSE = 0x13,
  VK_CAPITAL = 0x14,
  VK_ESCAPE = 0x1B,
  VK_SPACE = 0x20,
  VK_PRIOR = 0x21,
  VK_NEXT = 0x22,
  VK_END = 0x23,
  VK_HOME = 0x24,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_SELECT = 0x29,
  VK_PRINT = 0x2A,
  VK_EXECUTE = 0x2B,
  VK_SNAPSHOT = 0x2C,
  VK_INSERT = 0x2D,
  VK_DELETE = 0x2E,
  VK_HELP = 0x2F,
  VK_LWIN = 0x5B,
  VK_RWIN = 0x5C,
  VK_APPS = 0x5D,
  VK_NUMPAD0 = 0x60,
  VK_NUMPAD1 = 0x61,
  VK_NUMPAD2 = 0x62,
  VK_NUMPAD3 = 0x63,
  VK_NUMPAD4 = 0x64,
  VK_NUMPAD5 = 0x65,
  VK_NUMPAD6 = 0x66,
  VK_NUMPAD7 = 0x67,
  VK_NUMPAD8 = 0x68,
  VK_NUMPAD9 = 0x69,
  VK_MULTIPLY = 0x6A,
  VK_ADD = 0x6B,
  VK_SEPARATOR = 0x6C,
  VK_SUBTRACT = 0x6D,
  VK_DECIMAL = 0x6E,
  VK_DIVIDE = 0x6F,
  VK_F1 = 0x70,
  VK_F2 = 0x71,
  VK_F3 = 0x72,
  VK_F4 = 0x73,
  VK_F5 = 0x74,
  VK_F6 = 0x75,
  VK_F7 = 0x76,
  VK_F8 = 0x77,
  VK_F9 = 0x78,
  VK_F10 = 0x79,
  VK_F11 = 0x7A,
  VK_F12 = 0x7B,
  VK_F13 = 0x7C,
  VK_F14 = 0x7D,
  VK_F15 = 0x7E,
  VK_F16 = 0x7F,
  VK_F17 = 0x80,
  VK_F18 = 0x81,
  VK_F19 = 0x82,
  VK_F20 = 0x83,
  VK_F21 = 0x84,
  VK_F22 = 0x85,
  VK_F23 = 0x86,
  VK_F24 = 0x87,
  VK_NUMLOCK = 0x90,
  VK_SCROLL = 0x91,
  VK_LSHIFT = 0xA0,
  VK_RSHIFT = 0xA1,
  VK_LCONTROL = 0xA2,
  VK_RCONTROL = 0xA3,
  VK_LMENU = 0xA4,
  VK_RMENU = 0xA5,
  VK_OEM_1 = 0xBA,
  VK_OEM_PLUS = 0xBB,
  VK_OEM_COMMA = 0xBC,
  VK_OEM_MINUS = 0xBD,
  VK_OEM_PERIOD = 0xBE,
  VK_OEM_2 = 0xBF,
  VK_OEM_3 = 0xC0,
  VK_OEM_4 = 0xDB,
  VK_OEM_5 = 0xDC,
  VK_OEM_6 = 0xDD,
  VK_OEM_7 = 0xDE,
  VK_OEM_102 = 0xE2,
};

// Dialog results of message boxes (TApplication::MessageBox).
enum : Integer {
  IDOK = 1,
  IDCANCEL = 2,
  IDABORT = 3,
  IDRETRY = 4,
  IDIGNORE = 5,
  IDYES = 6,
  IDNO = 7,
  IDCLOSE = 8
};
enum : Integer {
  MB_OK = 0x00,
  MB_OKCANCEL = 0x01,
  MB_ABORTRETRYIGNORE = 0x02,
  MB_YESNOCANCEL = 0x03,
  MB_YESNO = 0x04,
  MB_RETRYCANCEL = 0x05,
  MB_ICONHAND = 0x10,
  MB_ICONSTOP = 0x10,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONWARNING = 0x30,
  MB_ICONASTERISK = 0x40,
  MB_ICONINFORMATION = 0x40,
  MB_DEFBUTTON1 = 0x000,
  MB_DEFBUTTON2 = 0x100,
  MB_DEFBUTTON3 = 0x200,
};

// ---- TMessage and its typed views ----
//
// A message handler receives the view that names the parameters of its message; the views share
// TMessage's layout (as the class library's variant records do), so `reinterpret_cast<TWMKey&>(msg)`
// is the way to reach them. They are declared may_alias, which keeps that cast well defined.
#define KIV_MSG_VIEW __attribute__((may_alias))

struct KIV_MSG_VIEW TMessage {
  UINT Msg = 0;
  Cardinal MsgFiller = 0;
  union {
    WPARAM WParam = 0;
    struct {
      Word WParamLo;
      Word WParamHi;
      Cardinal WParamFiller;
    };
  };
  union {
    LPARAM LParam = 0;
    struct {
      Word LParamLo;
      Word LParamHi;
      Cardinal LParamFiller;
    };
  };
  union {
    LRESULT Result = 0;
    struct {
      Word ResultLo;
      Word ResultHi;
      Cardinal ResultFiller;
    };
  };
};
static_assert(sizeof(TMessage) == 32);

struct TSmallPoint {
  SmallInt x = 0;
  SmallInt y = 0;
};
inline TSmallPoint PointToSmallPoint(TPoint p) {
  return {static_cast<SmallInt>(p.X), static_cast<SmallInt>(p.Y)};
}
inline TPoint SmallPointToPoint(TSmallPoint p) { return {p.x, p.y}; }
inline LPARAM PointToLParam(TPoint p) {
  return static_cast<LPARAM>(static_cast<Cardinal>(static_cast<Word>(p.X)) |
                             (static_cast<Cardinal>(static_cast<Word>(p.Y)) << 16));
}
inline SmallInt GET_X_LPARAM(LPARAM l) { return static_cast<SmallInt>(l & 0xFFFF); }
inline SmallInt GET_Y_LPARAM(LPARAM l) { return static_cast<SmallInt>((l >> 16) & 0xFFFF); }
constexpr Word LOWORD(std::uintptr_t v) { return static_cast<Word>(v & 0xFFFF); }
constexpr Word HIWORD(std::uintptr_t v) { return static_cast<Word>((v >> 16) & 0xFFFF); }
constexpr Cardinal MAKELONG(Word lo, Word hi) {
  return static_cast<Cardinal>(lo) | (static_cast<Cardinal>(hi) << 16);
}
constexpr WPARAM MAKEWPARAM(Word lo, Word hi) { return MAKELONG(lo, hi); }
constexpr LPARAM MAKELPARAM(Word lo, Word hi) { return static_cast<LPARAM>(MAKELONG(lo, hi)); }

class TControl;
class TWinControl;
struct THintInfo;
struct TDragRec;

struct KIV_MSG_VIEW TWMNoParams {
  UINT Msg;
  Cardinal MsgFiller;
  WPARAM Unused0;
  LPARAM Unused1;
  LRESULT Result;
};

// WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN, CM_DIALOGKEY, CM_DIALOGCHAR, CM_WANTSPECIALKEY, CN_KEYDOWN.
struct KIV_MSG_VIEW TWMKey {
  UINT Msg;
  Cardinal MsgFiller;
  Word CharCode;
  Word Unused;
  Cardinal CharCodeFiller;
  Integer KeyData;
  Cardinal KeyDataFiller;
  LRESULT Result;
};
using TWMKeyDown = TWMKey;
using TWMKeyUp = TWMKey;
using TWMChar = TWMKey;
using TWMSysKeyDown = TWMKey;
using TWMSysKeyUp = TWMKey;
using TWMSysChar = TWMKey;
using TCMDialogKey = TWMKey;
using TCMDialogChar = TWMKey;
using TCMWantSpecialKey = TWMKey;

// Mouse buttons and moves: client coordinates; Keys holds MK_xxx flags.
struct KIV_MSG_VIEW TWMMouse {
  UINT Msg;
  Cardinal MsgFiller;
  Integer Keys;
  Cardinal KeysFiller;
  union {
    struct {
      SmallInt XPos;
      SmallInt YPos;
    };
    TSmallPoint Pos;
  };
  Cardinal XYFiller;
  LRESULT Result;
};
using TWMLButtonDown = TWMMouse;
using TWMLButtonUp = TWMMouse;
using TWMLButtonDblClk = TWMMouse;
using TWMRButtonDown = TWMMouse;
using TWMRButtonUp = TWMMouse;
using TWMRButtonDblClk = TWMMouse;
using TWMMButtonDown = TWMMouse;
using TWMMButtonUp = TWMMouse;
using TWMMButtonDblClk = TWMMouse;
using TWMMouseMove = TWMMouse;

// WM_MOUSEWHEEL: screen coordinates, as the system sends them.
struct KIV_MSG_VIEW TWMMouseWheel {
  UINT Msg;
  Cardinal MsgFiller;
  Word Keys;
  SmallInt WheelDelta;
  Cardinal KeysFiller;
  union {
    struct {
      SmallInt XPos;
      SmallInt YPos;
    };
    TSmallPoint Pos;
  };
  Cardinal XYFiller;
  LRESULT Result;
};

// CM_MOUSEWHEEL: the shift state as TShiftState bits (TShiftState::FromBits).
struct KIV_MSG_VIEW TCMMouseWheel {
  UINT Msg;
  Cardinal MsgFiller;
  Word ShiftStateBits;
  SmallInt WheelDelta;
  Cardinal KeysFiller;
  union {
    struct {
      SmallInt XPos;
      SmallInt YPos;
    };
    TSmallPoint Pos;
  };
  Cardinal XYFiller;
  LRESULT Result;
};

// WM_SETFOCUS carries the window that lost the focus, WM_KILLFOCUS the one that receives it (or null).
struct KIV_MSG_VIEW TWMSetFocus {
  UINT Msg;
  Cardinal MsgFiller;
  HWND FocusedWnd;
  LPARAM Unused;
  LRESULT Result;
};
using TWMKillFocus = TWMSetFocus;

struct KIV_MSG_VIEW TWMSize {
  UINT Msg;
  Cardinal MsgFiller;
  WPARAM SizeType;
  Word Width;
  Word Height;
  Cardinal WidthHeightFiller;
  LRESULT Result;
};

struct KIV_MSG_VIEW TWMMove {
  UINT Msg;
  Cardinal MsgFiller;
  WPARAM Unused;
  SmallInt XPos;
  SmallInt YPos;
  Cardinal XYFiller;
  LRESULT Result;
};

struct KIV_MSG_VIEW TWMPaint {
  UINT Msg;
  Cardinal MsgFiller;
  HDC DC;
  LPARAM Unused;
  LRESULT Result;
};
using TWMEraseBkgnd = TWMPaint;
using TWMPrintClient = TWMPaint;

// WM_NCPAINT: in this layer the first parameter is the TCanvas open on the whole window (not a
// region): the control draws its frame (border, client edge, bevels) there.
struct KIV_MSG_VIEW TWMNCPaint {
  UINT Msg;
  Cardinal MsgFiller;
  HRGN RGN;
  LPARAM Unused;
  LRESULT Result;
};

struct TNCCalcSizeParams {
  TRect rgrc[3];
  void* lppos = nullptr;
};

// WM_NCCALCSIZE: rgrc[0] comes in as the window rectangle and leaves as the client rectangle.
struct KIV_MSG_VIEW TWMNCCalcSize {
  UINT Msg;
  Cardinal MsgFiller;
  WPARAM CalcValidRects;
  TNCCalcSizeParams* CalcSize_Params;
  LRESULT Result;
};

struct KIV_MSG_VIEW TWMNCHitTest {
  UINT Msg;
  Cardinal MsgFiller;
  WPARAM Unused;
  union {
    struct {
      SmallInt XPos;
      SmallInt YPos;
    };
    TSmallPoint Pos;
  };
  Cardinal XYFiller;
  LRESULT Result;
};

struct TMsg;
struct KIV_MSG_VIEW TWMGetDlgCode {
  UINT Msg;
  Cardinal MsgFiller;
  WPARAM Unused;
  TMsg* lpMsg;
  LRESULT Result;
};

struct KIV_MSG_VIEW TWMSetCursor {
  UINT Msg;
  Cardinal MsgFiller;
  HWND CursorWnd;
  SmallInt HitTest;
  Word MouseMsg;
  Cardinal HitTestFiller;
  LRESULT Result;
};

// WM_CONTEXTMENU: screen coordinates; -1, -1 when raised from the keyboard.
struct KIV_MSG_VIEW TWMContextMenu {
  UINT Msg;
  Cardinal MsgFiller;
  HWND hWnd;
  union {
    struct {
      SmallInt XPos;
      SmallInt YPos;
    };
    TSmallPoint Pos;
  };
  Cardinal XYFiller;
  LRESULT Result;
};

struct KIV_MSG_VIEW TWMScroll {
  UINT Msg;
  Cardinal MsgFiller;
  SmallInt ScrollCode;
  SmallInt Pos;
  Cardinal ScrollCodeFiller;
  HWND ScrollBar;
  LRESULT Result;
};
using TWMHScroll = TWMScroll;
using TWMVScroll = TWMScroll;

struct KIV_MSG_VIEW TWMCommand {
  UINT Msg;
  Cardinal MsgFiller;
  Word ItemID;
  Word NotifyCode;
  Cardinal ItemIDFiller;
  HWND Ctl;
  LRESULT Result;
};

struct KIV_MSG_VIEW TWMActivate {
  UINT Msg;
  Cardinal MsgFiller;
  Word Active;
  Word Minimized;
  Cardinal ActiveFiller;
  HWND ActiveWindow;
  LRESULT Result;
};

struct KIV_MSG_VIEW TWMMouseActivate {
  UINT Msg;
  Cardinal MsgFiller;
  HWND TopLevel;
  SmallInt HitTestCode;
  Word MouseMsg;
  Cardinal HitTestFiller;
  LRESULT Result;
};

struct KIV_MSG_VIEW TWMSetText {
  UINT Msg;
  Cardinal MsgFiller;
  WPARAM Unused;
  const Char* Text;
  LRESULT Result;
};

// WM_GETTEXT copies at most TextMax - 1 characters and a terminating zero; Result is the count copied.
struct KIV_MSG_VIEW TWMGetText {
  UINT Msg;
  Cardinal MsgFiller;
  WPARAM TextMax;
  Char* Text;
  LRESULT Result;
};
using TWMGetTextLength = TWMNoParams;
using TWMCancelMode = TWMNoParams;

struct KIV_MSG_VIEW TWMTimer {
  UINT Msg;
  Cardinal MsgFiller;
  WPARAM TimerID;
  void* TimerProc;
  LRESULT Result;
};

struct KIV_MSG_VIEW TWMDropFiles {
  UINT Msg;
  Cardinal MsgFiller;
  void* Drop;
  LPARAM Unused;
  LRESULT Result;
};

// CM_HINTSHOW: the control may change the hint record; a non-zero Result suppresses the hint.
struct KIV_MSG_VIEW TCMHintShow {
  UINT Msg;
  Cardinal MsgFiller;
  WPARAM Reserved;
  THintInfo* HintInfo;
  LRESULT Result;
};

struct KIV_MSG_VIEW TCMHintShowPause {
  UINT Msg;
  Cardinal MsgFiller;
  WPARAM WasShowing;
  Integer* Pause;
  LRESULT Result;
};

// CM_MOUSEENTER/CM_MOUSELEAVE, CM_ENTER/CM_EXIT, CM_FOCUSCHANGED, CM_CANCELMODE, CM_CHANGED: a control.
struct KIV_MSG_VIEW TCMControlParam {
  UINT Msg;
  Cardinal MsgFiller;
  WPARAM Unused;
  TControl* Control;
  LRESULT Result;
};
using TCMMouseEnter = TCMControlParam;
using TCMMouseLeave = TCMControlParam;
using TCMCancelMode = TCMControlParam;
using TCMChanged = TCMControlParam;

struct KIV_MSG_VIEW TCMFocusChanged {
  UINT Msg;
  Cardinal MsgFiller;
  WPARAM Unused;
  TWinControl* Sender;
  LRESULT Result;
};
using TCMEnter = TWMNoParams;
using TCMExit = TWMNoParams;

// CM_CHILDKEY: WParam the key, LParam the control that received it.
struct KIV_MSG_VIEW TCMChildKey {
  UINT Msg;
  Cardinal MsgFiller;
  Word CharCode;
  Word Unused;
  Cardinal CharCodeFiller;
  TWinControl* Sender;
  LRESULT Result;
};

struct KIV_MSG_VIEW TCMControlChange {
  UINT Msg;
  Cardinal MsgFiller;
  TControl* Control;
  LPARAM Inserting;
  LRESULT Result;
};

enum TDragMessage { dmDragEnter, dmDragLeave, dmDragMove, dmDragDrop, dmDragCancel, dmFindTarget };
struct KIV_MSG_VIEW TCMDrag {
  UINT Msg;
  Cardinal MsgFiller;
  WPARAM DragMessage;  // a TDragMessage
  TDragRec* DragRec;
  LRESULT Result;
};

// A queued message as PeekMessage hands it out.
struct TMsg {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  TPoint pt;
};
using MSG = TMsg;

// ---- Message services ----
//
// HWND values are opaque handles of windowed controls (TWinControl::GetHandle) and of the application
// window (Application->GetHandle()); FindControl turns one back into its control. A handle that names
// no live window is ignored: SendMessage answers 0, PostMessage false.

LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline LRESULT SendMessageW(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return SendMessage(wnd, msg, wParam, lParam);
}
// Queues the message; the event loop hands it to the window's WindowProc later, in posting order.
bool PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline bool PostMessageW(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return PostMessage(wnd, msg, wParam, lParam);
}
// Posts unless a message with the same number is already queued for the window; answers whether it
// posted.
bool PostMessageOnce(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The message queue as the class library's PeekMessage sees it: the posted messages and the keyboard
// and mouse input that waits in the event queue. wnd null matches every window; first = last = 0
// matches every message. With PM_REMOVE the message found is taken out of the queue (it is not
// dispatched). Input is looked at without being delivered, and timers do not fire meanwhile.
bool PeekMessage(TMsg* msg, HWND wnd, UINT first, UINT last, UINT removeFlags);
// A message of that number (and, when given, those parameters) is queued for the window.
bool IsMessagePending(HWND wnd, UINT msg);
bool IsMessagePending(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Takes the first queued message of that number for the window out of the queue.
bool RemovePendingMessage(HWND wnd, UINT msg);
// A key-down (WM_KEYDOWN or WM_SYSKEYDOWN) waits for the window (null: any window), of the key when
// key is not 0. Safe to ask from a worker thread: the question is answered on the main thread, and
// a key the main loop delivered since the thread's previous question counts as waiting too.
bool KeyPressWaiting(HWND wnd = nullptr, Word key = 0);
// Takes a waiting key-down (and the character it makes) out of the queue.
bool RemovePendingKey(HWND wnd, Word key);
// Takes the first waiting left-button press or double click for the window out of the queue; the
// release that follows it is delivered as usual.
bool RemovePendingClick(HWND wnd, TPoint* clientPos = nullptr);
