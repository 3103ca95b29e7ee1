#!/usr/bin/python3
"""Draws every PNG resource of the lobby and the updater.

Each image is drawn twice from the same design: at its own size (<id>.png) and at double
resolution for screens of two device pixels per pixel (<id>@2x.png). The PNG files are committed;
the build only bundles them. Run this script again after changing a drawing:
/usr/bin/python3 resources/draw_artwork.py
"""
import math
import os
import struct
import zlib

import cairo

HERE = os.path.dirname(os.path.abspath(__file__))
CJK_FONT = "WenQuanYi Zen Hei"


def rgba(hex_rgb, alpha=1.0):
    return ((hex_rgb >> 16) & 0xFF) / 255.0, ((hex_rgb >> 8) & 0xFF) / 255.0, (hex_rgb & 0xFF) / 255.0, alpha


def rounded_rect(cr, x, y, w, h, r):
    cr.new_sub_path()
    cr.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    cr.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    cr.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    cr.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    cr.close_path()


def on_device_pixel(cr, v):
    # The pen starts on a whole device pixel: a whole pixel at 1x, a half pixel at 2x.
    scale = cr.get_matrix().xx
    return round(v * scale) / scale


def centred_text(cr, text, cx, cy, size, colour):
    cr.select_font_face(CJK_FONT, cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_NORMAL)
    cr.set_font_size(size)
    ext = cr.text_extents(text)
    cr.move_to(on_device_pixel(cr, cx - ext.width / 2 - ext.x_bearing),
               on_device_pixel(cr, cy - ext.height / 2 - ext.y_bearing))
    cr.set_source_rgba(*colour)
    cr.show_text(text)


def write_rgba_png(surface, path):
    # cairo writes opaque images as RGB; every resource is meant to be 8-bit RGBA.
    surface.flush()
    w, h, stride = surface.get_width(), surface.get_height(), surface.get_stride()
    data = bytes(surface.get_data())
    raw = bytearray()
    for y in range(h):
        raw.append(0)  # filter type: none
        for x in range(w):
            b, g, r, a = data[y * stride + 4 * x:y * stride + 4 * x + 4]  # little-endian ARGB32
            if a not in (0, 255):  # cairo keeps colour premultiplied
                r, g, b = (min(255, (c * 255 + a // 2) // a) for c in (r, g, b))
            raw += bytes((r, g, b, a))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(chunk(b"IEND", b""))


# Device pixels per pixel of each drawing, and the file name each is saved under.
SCALES = ((1, "%d.png"), (2, "%d@2x.png"))


def save(surface, program, kind, res_id, name="%d.png"):
    folder = os.path.join(HERE, program, kind)
    os.makedirs(folder, exist_ok=True)
    write_rgba_png(surface, os.path.join(folder, name % res_id))


def canvas(w, h, scale=1):
    # A canvas of w x h pixels at `scale` device pixels each: the drawing code is the same.
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, w * scale, h * scale)
    cr = cairo.Context(surface)
    cr.scale(scale, scale)
    return surface, cr


def image(program, res_id, w, h, draw):
    # Saves the drawing at every scale as the PNG resource res_id.
    for scale, name in SCALES:
        surface, cr = canvas(w, h, scale)
        draw(cr)
        save(surface, program, "png", res_id, name)


# Button strips: four frames side by side, in the order normal, hovered, pressed, disabled.
STATES = ("normal", "hover", "pressed", "disabled")


def strip(program, res_id, frame_w, frame_h, draw_frame):
    def draw(cr):
        for i, state in enumerate(STATES):
            cr.save()
            cr.rectangle(i * frame_w, 0, frame_w, frame_h)
            cr.clip()
            cr.translate(i * frame_w, 0)
            draw_frame(cr, frame_w, frame_h, state)
            cr.restore()
    image(program, res_id, frame_w * 4, frame_h, draw)


def window_button(glyph):
    def draw(cr, w, h, state):
        face = {"normal": None, "hover": rgba(0xE04848, 0.9), "pressed": rgba(0xA02828, 1.0),
                "disabled": None}[state]
        if face:
            rounded_rect(cr, 1, 1, w - 2, h - 2, 4)
            cr.set_source_rgba(*face)
            cr.fill()
        ink = rgba(0x8890A0) if state == "disabled" else rgba(0xFFFFFF)
        shift = 1 if state == "pressed" else 0
        cr.set_source_rgba(*ink)
        cr.set_line_width(2)
        cr.set_line_cap(cairo.LINE_CAP_ROUND)
        if glyph == "close":
            cr.move_to(7 + shift, 7 + shift)
            cr.line_to(17 + shift, 17 + shift)
            cr.move_to(17 + shift, 7 + shift)
            cr.line_to(7 + shift, 17 + shift)
        else:
            cr.move_to(7 + shift, 16 + shift)
            cr.line_to(17 + shift, 16 + shift)
        cr.stroke()
    return draw


def text_button(label, hover_rgb, press_rgb, size):
    def draw(cr, w, h, state):
        if state in ("hover", "pressed"):
            rounded_rect(cr, 2, 3, w - 4, h - 6, 5)
            cr.set_source_rgba(*rgba(hover_rgb if state == "hover" else press_rgb, 0.85))
            cr.fill()
        ink = rgba(0x8890A0) if state == "disabled" else rgba(0xFFFFFF)
        shift = 1 if state == "pressed" else 0
        centred_text(cr, label, w / 2 + shift, h / 2 + shift, size, ink)
    return draw


def download_button(cr, w, h, state):
    top, bottom = {"normal": (0x5CC85C, 0x2E9A2E), "hover": (0x78E078, 0x3CB43C),
                   "pressed": (0x2E8A2E, 0x226E22), "disabled": (0xA8A8A8, 0x888888)}[state]
    grad = cairo.LinearGradient(0, 0, 0, h)
    grad.add_color_stop_rgba(0, *rgba(top))
    grad.add_color_stop_rgba(1, *rgba(bottom))
    rounded_rect(cr, 1, 1, w - 2, h - 2, 6)
    cr.set_source(grad)
    cr.fill_preserve()
    cr.set_source_rgba(*rgba(0x1E5A1E if state != "disabled" else 0x707070))
    cr.set_line_width(1)
    cr.stroke()
    shift = 1 if state == "pressed" else 0
    ink = rgba(0xE8E8E8) if state == "disabled" else rgba(0xFFFFFF)
    centred_text(cr, "下载安装", w / 2 + shift, h / 2 + shift, 15, ink)


TITLE_TOP, TITLE_BOTTOM = 0x2B4A7A, 0x16284A


def title_gradient(h):
    grad = cairo.LinearGradient(0, 0, 0, h)
    grad.add_color_stop_rgba(0, *rgba(TITLE_TOP))
    grad.add_color_stop_rgba(1, *rgba(TITLE_BOTTOM))
    return grad


def separator(cr):  # a dark groove with a light edge
    cr.set_source_rgba(*rgba(0x0C1830, 0.9))
    cr.rectangle(2, 6, 1, 23)
    cr.fill()
    cr.set_source_rgba(*rgba(0x6A8CC0, 0.8))
    cr.rectangle(3, 6, 1, 23)
    cr.fill()


def logo(cr):  # the built-in logo over the title strip
    cr.set_source(title_gradient(35))
    cr.paint()
    cr.arc(20, 17.5, 12, 0, 2 * math.pi)
    cr.set_source_rgba(*rgba(0xF5A623))
    cr.fill()
    centred_text(cr, "Q", 20, 17.5, 16, rgba(0xFFFFFF))
    cr.select_font_face(CJK_FONT, cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
    cr.set_font_size(16)
    cr.move_to(40, 23)
    cr.set_source_rgba(*rgba(0xFFFFFF))
    cr.show_text("Quorvane 游戏大厅")


def title_fill(cr):  # stretched across the window
    cr.set_source(title_gradient(35))
    cr.paint()


def notice_panel(cr):  # shown when the movie player is missing
    rounded_rect(cr, 0.5, 0.5, 379, 192, 10)
    cr.set_source_rgba(*rgba(0x22324E, 0.96))
    cr.fill_preserve()
    cr.set_source_rgba(*rgba(0x5A7AB0))
    cr.set_line_width(1)
    cr.stroke()
    cr.move_to(50, 46)  # warning sign left of the text box (which starts at x 96)
    cr.line_to(80, 98)
    cr.line_to(20, 98)
    cr.close_path()
    cr.set_source_rgba(*rgba(0xF8C81C))
    cr.fill()
    centred_text(cr, "!", 50, 80, 30, rgba(0x22324E))


def lobby():
    strip("lobby", 130, 24, 24, window_button("close"))
    strip("lobby", 131, 56, 35, text_button("建议", 0x3C6AAE, 0x1C3A6E, 14))
    strip("lobby", 132, 56, 35, text_button("客服", 0x3C6AAE, 0x1C3A6E, 14))
    strip("lobby", 133, 96 // 4, 24, window_button("minimise"))
    image("lobby", 134, 5, 35, separator)
    image("lobby", 135, 320, 35, logo)
    image("lobby", 136, 1, 35, title_fill)
    image("lobby", 138, 380, 193, notice_panel)
    strip("lobby", 139, 94, 36, download_button)
    icon("lobby", 0x3C6AAE, "Q")


ORANGE, ORANGE_DARK = 0xF08A24, 0xC85E0A
TRACK = 0x8A3E06
YELLOW_TOP, YELLOW_BOTTOM = 0xFFF27A, 0xF5C400


def bar_fill(h):
    grad = cairo.LinearGradient(0, 0, 0, h)
    grad.add_color_stop_rgba(0, *rgba(YELLOW_TOP))
    grad.add_color_stop_rgba(1, *rgba(YELLOW_BOTTOM))
    return grad


def bar_end(left):
    # Opaque: the corners carry the track colour, so a cap drawn over a segment rounds it off.
    def draw(cr):
        cr.set_source_rgba(*rgba(TRACK))
        cr.paint()
        cx = 8 if left else 0
        cr.arc(cx, 9, 8, 0, 2 * math.pi)
        cr.set_source(bar_fill(18))
        cr.fill()
    return draw


def progress_background(cr):  # orange background with a darker rounded track
    grad = cairo.LinearGradient(0, 0, 0, 73)
    grad.add_color_stop_rgba(0, *rgba(ORANGE))
    grad.add_color_stop_rgba(1, *rgba(ORANGE_DARK))
    cr.set_source(grad)
    cr.paint()
    cr.set_source_rgba(*rgba(0xFFD9A8, 0.7))
    cr.set_line_width(1)
    cr.rectangle(0.5, 0.5, 565, 72)
    cr.stroke()
    rounded_rect(cr, 16, 27, 532, 22, 11)
    cr.set_source_rgba(*rgba(0x6A2E02))
    cr.fill()
    cr.rectangle(18, 29, 528, 18)  # the bar's own area shows the track colour while empty
    cr.set_source_rgba(*rgba(TRACK))
    cr.fill()


def bar_segment(cr):
    cr.set_source(bar_fill(18))
    cr.paint()
    cr.set_source_rgba(*rgba(0xFFFFFF, 0.35))  # a thin divider between segments
    cr.rectangle(7, 0, 1, 18)
    cr.fill()


def vendrel():
    image("vendrel", 129, 566, 73, progress_background)
    image("vendrel", 130, 8, 18, bar_end(left=True))
    image("vendrel", 131, 8, 18, bar_segment)
    image("vendrel", 132, 8, 18, bar_end(left=False))
    icon("vendrel", ORANGE, "V")


def icon(program, colour, letter):
    surface, cr = canvas(48, 48)
    rounded_rect(cr, 2, 2, 44, 44, 10)
    cr.set_source_rgba(*rgba(colour))
    cr.fill()
    centred_text(cr, letter, 24, 24, 30, rgba(0xFFFFFF))
    save(surface, program, "icon", 128)
    write_png_icon(os.path.join(HERE, program, "icon", "128.png"))


def write_png_icon(png_path):
    # A Windows icon file whose one image is the PNG itself, for the resource compiler.
    with open(png_path, "rb") as f:
        png = f.read()
    w, h = struct.unpack(">II", png[16:24])
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(png), 6 + 16)
    with open(os.path.splitext(png_path)[0] + ".ico", "wb") as f:
        f.write(header + entry + png)


if __name__ == "__main__":
    lobby()
    vendrel()
