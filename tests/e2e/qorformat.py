"""Reading and writing the program's two stored files from the tests, straight from their byte
layouts: QORCfg.cfg (one 564-byte settings record) and QORMenu.cfg (34 group records, then 1025
item records of 1297 bytes). Little-endian, fixed-width ANSI text, no padding.
"""

from __future__ import annotations

import struct
from dataclasses import dataclass, field

SETTINGS_SIZE = 564
ITEM_SIZE = 1297
ITEM_COUNT = 1025
GROUP_FIRST, GROUP_LAST = 3, 36
MENU_SIZE = 4114 + 33 * 162 + ITEM_COUNT * ITEM_SIZE  # 1 338 885

_SETTINGS = struct.Struct("<iiiii4shh255s255siiiihhBBBBBB")
_ITEM_HEAD = struct.Struct("<iBhihi")
_TEXTS = (("Target", 255), ("Title", 128), ("LargeIconPath", 255), ("IconPath", 255),
          ("TargetPath", 255), ("Arguments", 128))
assert _SETTINGS.size == SETTINGS_SIZE


def _text(value: str, width: int) -> bytes:
    raw = value.encode("cp1252")[:width]
    return raw + b" " * (width - len(raw))


def _clean(raw: bytes) -> str:
    return raw.split(b"\0", 1)[0].decode("cp1252").strip(" ")


@dataclass
class Settings:
    IconSize: int = 48
    MaxIconSize: int = 128
    MagnifiedSize: int = 64
    Radius: int = 300
    IconCountCode: int = 4
    BackColor: bytes = b"\0\0\0\xc0"
    Spare1: int = 0
    AutoRun: int = 0
    UserIconPath: str = ""
    Spare2: str = ""
    Spare3: int = 0
    WindowLeft: int = 0
    WindowTop: int = 0
    Spare4: int = 0
    LockDragging: int = 0
    HideGetStarted: int = -1
    HideDesktopIcons: int = 0
    AutoHide: int = 0
    DisplayLetter: int = 0
    MinimizedPosition: int = 0
    ClearType: int = 0
    Spare5: int = 0

    def pack(self) -> bytes:
        return _SETTINGS.pack(self.IconSize, self.MaxIconSize, self.MagnifiedSize, self.Radius,
                              self.IconCountCode, self.BackColor, self.Spare1, self.AutoRun,
                              _text(self.UserIconPath, 255), _text(self.Spare2, 255), self.Spare3,
                              self.WindowLeft, self.WindowTop, self.Spare4, self.LockDragging,
                              self.HideGetStarted, self.HideDesktopIcons, self.AutoHide,
                              self.DisplayLetter, self.MinimizedPosition, self.ClearType, self.Spare5)

    @classmethod
    def unpack(cls, data: bytes) -> "Settings":
        v = list(_SETTINGS.unpack(data[:SETTINGS_SIZE]))
        v[8], v[9] = _clean(v[8]), _clean(v[9])
        return cls(*v)


@dataclass
class Item:
    Kind: int = 0
    Category: int = 0
    IsSystem: int = 0
    Param: int = 0
    Spare: int = 0
    IconRef: int = 0
    Target: str = ""
    Title: str = ""
    LargeIconPath: str = ""
    IconPath: str = ""
    TargetPath: str = ""
    Arguments: str = ""
    RunMode: int = 0

    def pack(self) -> bytes:
        out = _ITEM_HEAD.pack(self.Kind, self.Category, self.IsSystem, self.Param, self.Spare,
                              self.IconRef)
        for name, width in _TEXTS:
            out += _text(getattr(self, name), width)
        return out + struct.pack("<i", self.RunMode)

    @classmethod
    def unpack(cls, data: bytes) -> "Item":
        head = _ITEM_HEAD.unpack_from(data, 0)
        pos, texts = _ITEM_HEAD.size, []
        for _, width in _TEXTS:
            texts.append(_clean(data[pos:pos + width]))
            pos += width
        (run_mode,) = struct.unpack_from("<i", data, pos)
        return cls(*head, *texts, run_mode)


@dataclass
class Group:
    index: int
    members: list[int] = field(default_factory=list)  # the member item indices, in order

    def pack(self) -> bytes:
        elements = 1025 if self.index == 3 else 37
        array = [self.index] + self.members + [0] * (elements - 1 - len(self.members))
        return struct.pack(f"<hii{elements}ii", 1, elements, 0, *array, len(self.members))


@dataclass
class Menu:
    groups: dict[int, Group]
    items: list[Item]

    @classmethod
    def empty(cls) -> "Menu":
        return cls({g: Group(g) for g in range(GROUP_FIRST, GROUP_LAST + 1)},
                   [Item() for _ in range(ITEM_COUNT)])

    def pack(self) -> bytes:
        out = b"".join(self.groups[g].pack() for g in range(GROUP_FIRST, GROUP_LAST + 1))
        return out + b"".join(item.pack() for item in self.items)

    @classmethod
    def unpack(cls, data: bytes) -> "Menu":
        pos, groups = 0, {}
        for g in range(GROUP_FIRST, GROUP_LAST + 1):
            dims, elements, _lower = struct.unpack_from("<hii", data, pos)
            assert dims == 1, f"group {g}: {dims} dimensions"
            array = struct.unpack_from(f"<{elements}i", data, pos + 10)
            (count,) = struct.unpack_from("<i", data, pos + 10 + 4 * elements)
            groups[g] = Group(g, list(array[1:1 + count]))
            pos += 14 + 4 * elements
        items = [Item.unpack(data[pos + i * ITEM_SIZE:pos + (i + 1) * ITEM_SIZE])
                 for i in range(ITEM_COUNT)]
        return cls(groups, items)
