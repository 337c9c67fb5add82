#!/usr/bin/env python3
"""Writes data/demo/demo.xdt: a small project of three series and twelve
windows, in the program's own output form (GBK, CR LF, plain numbers)."""
import os

windows = [  # ID, series, window, frame area, opening area
    (1, "60平开窗", "C1", 1.8, 1.89), (2, "60平开窗", "C2", 2.16, 2.25),
    (3, "60平开窗", "C3", 1.44, 1.52), (4, "60平开窗", "C4", 2.7, 2.82),
    (5, "70推拉窗", "TC1", 2.4, 2.52), (6, "70推拉窗", "TC2", 3, 3.12),
    (7, "70推拉窗", "TC3", 1.8, 1.9), (8, "70推拉窗", "TC4", 3.6, 3.74),
    (9, "50平开门", "M1", 2.1, 2.2), (10, "50平开门", "M2", 2.52, 2.64),
    (11, "50平开门", "M3", 1.89, 1.98), (12, "50平开门", "M4", 4.2, 4.36),
]
sizes = {1: (1.2, 1.5), 2: (1.2, 1.8), 3: (0.9, 1.6), 4: (1.5, 1.8),
         5: (1.6, 1.5), 6: (2.0, 1.5), 7: (1.2, 1.5), 8: (2.4, 1.5),
         9: (0.9, 2.1), 10: (1.2, 2.1), 11: (0.9, 2.1), 12: (2.0, 2.1)}


def num(v):
    text = ("%.3f" % v).rstrip("0").rstrip(".")
    return text if text else "0"


profiles, glass, accessories = [], [], []
for wid, series, _, _, _ in windows:
    w, h = sizes[wid]
    if series == "60平开窗":
        profiles += [(wid, "KF601", w), (wid, "KF601", w), (wid, "KF601", h), (wid, "KF601", h),
                     (wid, "KF602", w - 0.05), (wid, "KF602", h - 0.05), (wid, "KF603", h - 0.1),
                     (wid, "KF604", w - 0.1), (wid, "KF604", h - 0.1)]
        glass += [(wid, "5+12A+5中空玻璃", round(w * h * 0.82, 3))]
        accessories += [(wid, "执手", "7字型", "黑色", 1), (wid, "合页", "4寸", "不锈钢", 2),
                        (wid, "密封胶条", "EPDM", "", round(2 * (w + h), 2))]
    elif series == "70推拉窗":
        profiles += [(wid, "TL701", w), (wid, "TL702", w), (wid, "TL701", h), (wid, "TL701", h),
                     (wid, "TL703", w / 2), (wid, "TL703", w / 2), (wid, "TL704", h - 0.06),
                     (wid, "TL704", h - 0.06)]
        glass += [(wid, "5mm白玻", round(w * h * 0.85, 3))]
        accessories += [(wid, "滑轮", "双轮", "", 4), (wid, "月牙锁", "标准", "", 1),
                        (wid, "密封胶条", "EPDM", "", round(2 * (w + h), 2))]
    else:
        profiles += [(wid, "M501", w), (wid, "M501", h), (wid, "M501", h),
                     (wid, "M502", w - 0.08), (wid, "M502", h - 0.05), (wid, "M502", h - 0.05),
                     (wid, "M503", w - 0.1), (wid, "M503", h - 0.2)]
        glass += [(wid, "6+12A+6Low-E中空玻璃", round(w * (h - 0.9) * 0.8, 3))]
        accessories += [(wid, "门锁", "单点", "C级锁芯", 1), (wid, "合页", "4寸", "不锈钢", 3),
                        (wid, "密封胶条", "EPDM", "", round(2 * (w + h), 2))]

lines = []
lines += ["1|%d|%s|%s" % (i, c, num(l)) for i, c, l in profiles]
lines += ["2|%d|%s|%s" % (i, n, num(a)) for i, n, a in glass]
lines += ["3|%d|%s|%s|%s|%s" % (i, n, s, t, num(q)) for i, n, s, t, q in accessories]
lines += ["4|%d|%s|%s|%s|%s" % (i, s, c, num(f), num(o)) for i, s, c, f, o in windows]
out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "demo.xdt")
with open(out, "wb") as f:
    f.write("".join(l + "\r\n" for l in lines).encode("gbk"))
print(out, len(lines), "lines")
