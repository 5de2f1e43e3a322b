#!/usr/bin/env python3
"""Writes a realistic catalog data directory for the resave benchmark.

make-catalog.py DIR ITEMS

ambit.amb holds the top folders' folder lines and a few items; each top
folder has a contents file with its items and one subfolder (a contents
file of its own); one folder, "Big", holds a fifth of all items (200,000
of a million) in random order.
"""
import random
import sys

HEADER = '%Internet Ambit Data File %ver="1.0"'
WORDS = ["archive", "backup", "compiler", "editor", "font", "game", "icon", "mail",
         "network", "player", "reader", "scanner", "terminal", "utility", "viewer", "zip"]


def item(rng, location, n):
    word = WORDS[n % len(WORDS)]
    price = "0.00" if n % 7 else "%d.%02d" % (5 + n % 40, n % 100)
    host = "ftp.host%03d.example.com" % (n % 500)
    return "%s:A %s for everyday use, release %d:%s:%s:/pub/%s/%s-%06d.zip:%02d/%02d/%02d:%d:[default]\n" % (
        location, word, n % 9 + 1, price, host, word, word, n,
        n % 12 + 1, n % 28 + 1, 90 + n % 10, 1000 + (n * 7919) % 900000)


def main():
    out, total = sys.argv[1], int(sys.argv[2])
    rng = random.Random(total)
    big = total // 5
    rest = total - big
    folders = max(1, rest // 200)
    n = 0
    main = [HEADER + '  %CCon="07/17/96"\n']
    for f in range(folders):
        name = "T%04d %s" % (f, WORDS[f % len(WORDS)].capitalize())
        main.append("CNAME=/All/%s:T%04d.amb:ftp.host%03d.example.com\n" % (name, f, f % 500))
        per = rest // folders + (1 if f < rest % folders else 0)
        sub = per // 5
        lines = [HEADER + "\n", "CNAME=/All/%s/Older:S%04d.amb:\n" % (name, f)]
        for i in range(per - sub):
            lines.append(item(rng, "/All/%s/%s %06d" % (name, WORDS[n % 16], n), n))
            n += 1
        with open("%s/T%04d.amb" % (out, f), "w") as fh:
            fh.writelines(lines)
        lines = [HEADER + "\n"]
        for i in range(sub):
            lines.append(item(rng, "/All/%s/Older/%s %06d" % (name, WORDS[n % 16], n), n))
            n += 1
        with open("%s/S%04d.amb" % (out, f), "w") as fh:
            fh.writelines(lines)
    main.append("CNAME=/All/Big:Big.amb:ftp.big.example.com\n")
    order = list(range(n, n + big))
    rng.shuffle(order)
    with open("%s/Big.amb" % out, "w") as fh:
        fh.write(HEADER + "\n")
        fh.writelines(item(rng, "/All/Big/%s %07d" % (WORDS[k % 16], k), k) for k in order)
    main.append("/All/FTP Sites/Mirror:FTPSITE::ftp.mirror.example.com:/pub:::anonymous\n")
    with open("%s/ambit.amb" % out, "w") as fh:
        fh.writelines(main)


if __name__ == "__main__":
    main()
