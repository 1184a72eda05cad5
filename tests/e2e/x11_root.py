"""The X screen's pixels through Xlib, for the scripts that read a region many times a second (a
screenshot tool each time would be far too slow)."""
import ctypes


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


_x11 = ctypes.CDLL("libX11.so.6")
_x11.XOpenDisplay.restype = ctypes.c_void_p
_x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x11.XDefaultRootWindow.restype = ctypes.c_ulong
_x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_x11.XGetImage.restype = ctypes.POINTER(XImage)
_x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                           ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
_x11.XFree.argtypes = [ctypes.c_void_p]
_ALL_PLANES, _Z_PIXMAP = 0xFFFFFFFF, 2


class Root:
    def __init__(self):
        self.display = _x11.XOpenDisplay(None)
        self.window = _x11.XDefaultRootWindow(self.display)

    def grab(self, x, y, width, height):
        """(bytes, bytes_per_line, bytes_per_pixel) of the region, blue, green, red first; None when
        it cannot be read."""
        image = _x11.XGetImage(self.display, self.window, x, y, width, height, _ALL_PLANES, _Z_PIXMAP)
        if not image:
            return None
        im = image.contents
        data = ctypes.string_at(im.data, im.bytes_per_line * im.height)
        line, step = im.bytes_per_line, im.bits_per_pixel // 8
        _x11.XFree(im.data)
        _x11.XFree(image)
        return data, line, step
