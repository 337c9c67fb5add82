#!/usr/bin/env python3
"""Writes a large project for the xdt benchmarks: 20,000 windows and
400,000 lines in all (per window 12 profile cuts, 2 glass panes,
5 accessories and the window line), GBK with CR LF and plain numbers, the
form the program writes, so a load and a save give the same bytes back.

    python3 bench/make_large_project.py [OUT.xdt] [WINDOWS]
"""
import random
import sys

out = sys.argv[1] if len(sys.argv) > 1 else "large.xdt"
windows = int(sys.argv[2]) if len(sys.argv) > 2 else 20000
rng = random.Random(20261206)

series = ["60平开窗", "70推拉窗", "50平开门", "80断桥平开窗", "90推拉门"]
profiles = ["KF601", "KF602", "KF603", "TL701", "TL702", "M501", "M502", "DQ801", "DQ802", "TM901"]
glass = ["5+12A+5中空玻璃", "5mm白玻", "6+12A+6Low-E中空玻璃", "钢化玻璃8mm"]
accessories = [("执手", "7字型", "黑色"), ("合页", "4寸", "不锈钢"), ("密封胶条", "EPDM", ""),
               ("滑轮", "双轮", ""), ("月牙锁", "标准", ""), ("门锁", "单点", "C级锁芯")]


def num(v):
    text = ("%.3f" % v).rstrip("0").rstrip(".")
    return text if text else "0"


lines = [[], [], [], []]
for wid in range(1, windows + 1):
    w = rng.randint(60, 300) / 100
    h = rng.randint(90, 240) / 100
    s = series[wid % len(series)]
    for k in range(12):
        lines[0].append("1|%d|%s|%s" % (wid, profiles[(wid + k) % len(profiles)], num(w if k % 2 else h - k * 0.01)))
    for k in range(2):
        lines[1].append("2|%d|%s|%s" % (wid, glass[(wid + k) % len(glass)], num(w * h * 0.4)))
    for k in range(5):
        n, spec, req = accessories[(wid + k) % len(accessories)]
        lines[2].append("3|%d|%s|%s|%s|%s" % (wid, n, spec, req, num(k + 1 if k < 4 else 2 * (w + h))))
    lines[3].append("4|%d|%s|%s|%s|%s" % (wid, s, "C%d" % wid, num(w * h), num((w + 0.05) * (h + 0.05))))

with open(out, "wb") as f:
    for group in lines:
        f.write("".join(l + "\r\n" for l in group).encode("gbk"))
print(out, sum(len(g) for g in lines), "lines")
