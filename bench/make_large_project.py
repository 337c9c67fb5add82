#!/usr/bin/env python3
"""Writes a large project for the xdt benchmarks: 20,000 windows and
400,000 lines in all (per window 12 profile cuts, 2 glass panes,
5 accessories and the window line), GBK with CR LF and plain numbers, the
form the program writes, so a load and a save give the same bytes back.
With PRICES.sql it also writes price tables that price every material of
the project (for `tarvex-cli init --seed`).

    python3 bench/make_large_project.py [OUT.xdt] [WINDOWS] [PRICES.sql]
"""
import random
import sys

out = sys.argv[1] if len(sys.argv) > 1 else "large.xdt"
windows = int(sys.argv[2]) if len(sys.argv) > 2 else 20000
prices = sys.argv[3] if len(sys.argv) > 3 else None
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

if prices:
    # Line weights and classes by code; accessory and glass prices by name.
    weights = [1.052, 1.136, 1.248, 0.986, 1.104, 1.532, 1.684, 1.318, 1.402, 0.874]
    classes = ["断桥铝型材", "断桥铝型材", "断桥铝型材", "普通铝型材", "普通铝型材",
               "断桥铝型材", "断桥铝型材", "断桥铝型材", "断桥铝型材", "铝木复合型材"]
    sql = ["DELETE FROM lcName;", "DELETE FROM pjName;", "DELETE FROM blName;", "DELETE FROM FyTable;"]
    for i, code in enumerate(profiles):
        thermal = 1 if classes[i] == "断桥铝型材" else 0
        sql.append("INSERT INTO lcName VALUES (%d,'S','%s','%s',%s,%d,'%s',NULL);"
                   % (i, code, code, weights[i], thermal, classes[i]))
    for i, (n, spec, req) in enumerate(accessories):
        sql.append("INSERT INTO pjName VALUES (%d,'五金','%s','%s','%s','个',%s,0.95,NULL);"
                   % (i, n, spec, req, num(3.5 + 7.25 * i)))
    for i, n in enumerate(glass):
        sql.append("INSERT INTO blName VALUES (%d,'%s',%s,0.9,NULL);" % (i, n, num(38 + 43.5 * i)))
    sql += ["INSERT INTO FyTable VALUES ('安装费',35,0);", "INSERT INTO FyTable VALUES ('运输费',12,0);",
            "INSERT INTO FyTable VALUES ('管理费',0,5);", "INSERT INTO FyTable VALUES ('利润',0,8);"]
    with open(prices, "w", encoding="utf-8") as f:
        f.write("\n".join(sql) + "\n")
