#!/usr/bin/env python3
"""Writes a realistic message corpus for the import benchmark.

Japanese and English messages, half ISO-2022-JP and half UTF-8 for the Japanese
ones, 20% with an attachment, each 5 to 50 KB. The files go into a maildir
(DIR/cur) with the .eml extension, so that tidewell-cli, notmuch and mu read the
same files. The same seed gives the same corpus.
"""
import argparse
import os
import random
from email.header import Header
from email.mime.application import MIMEApplication
from email.mime.multipart import MIMEMultipart
from email.mime.text import MIMEText
from email.utils import format_datetime, make_msgid
from datetime import datetime, timedelta, timezone

JA_WORDS = ["会議", "資料", "確認", "お願い", "予定", "報告", "来週", "打ち合わせ", "見積もり", "請求書",
            "プロジェクト", "進捗", "共有", "ご連絡", "よろしく", "お疲れ様です", "添付", "修正", "対応", "本日"]
EN_WORDS = ["meeting", "report", "please", "review", "schedule", "project", "update", "invoice", "draft",
            "attached", "thanks", "regards", "tomorrow", "status", "budget", "team", "release", "notes"]
JA_NAMES = ["山田 太郎", "佐藤 花子", "鈴木 一郎", "高橋 美咲", "田中 健", "渡辺 結衣"]
EN_NAMES = ["Alice Smith", "Bob Jones", "Carol White", "Dave Brown", "Eve Black", "Frank Green"]
JST = timezone(timedelta(hours=9))


def sentence(rng, words, japanese):
    n = rng.randint(6, 16)
    picked = [rng.choice(words) for _ in range(n)]
    return ("".join(picked) + "。") if japanese else (" ".join(picked).capitalize() + ".")


def body_text(rng, words, japanese, size):
    lines = []
    total = 0
    while total < size:
        line = sentence(rng, words, japanese)
        lines.append(line)
        total += len(line.encode("utf-8"))
    return "\n".join(lines) + "\n"


def message(rng, index, start):
    japanese = rng.random() < 0.5
    charset = ("iso-2022-jp" if rng.random() < 0.5 else "utf-8") if japanese else "us-ascii"
    words = JA_WORDS if japanese else EN_WORDS
    names = JA_NAMES if japanese else EN_NAMES
    target = rng.randint(5 * 1024, 50 * 1024)
    with_attachment = rng.random() < 0.2
    text_size = target // 2 if with_attachment else target
    # ISO-2022-JP text grows by the escape sequences; aim a little lower.
    text = body_text(rng, words, japanese, int(text_size * (0.8 if japanese else 1.0)))
    body = MIMEText(text, "plain", charset if charset != "us-ascii" else "us-ascii")
    if with_attachment:
        msg = MIMEMultipart()
        msg.attach(body)
        payload = rng.randbytes(max(1024, (target - text_size) * 3 // 4))
        part = MIMEApplication(payload, Name=f"file{index}.pdf")
        part["Content-Disposition"] = f'attachment; filename="file{index}.pdf"'
        msg.attach(part)
    else:
        msg = body
    sender = rng.choice(names)
    subject = sentence(rng, words, japanese)[:40]
    header_charset = charset if japanese else "us-ascii"
    msg["From"] = f"{Header(sender, header_charset).encode()} <user{rng.randint(1, 500)}@example.com>"
    msg["To"] = "Me <me@example.org>"
    msg["Subject"] = Header(subject, header_charset).encode() if japanese else subject
    msg["Date"] = format_datetime(start + timedelta(minutes=index * 7 + rng.randint(0, 6)))
    msg["Message-ID"] = make_msgid(idstring=str(index), domain="bench.example.com")
    return msg.as_bytes()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("dir")
    parser.add_argument("count", type=int)
    parser.add_argument("--seed", type=int, default=20240401)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    for sub in ("cur", "new", "tmp"):
        os.makedirs(os.path.join(args.dir, sub), exist_ok=True)
    start = datetime(2020, 1, 1, 9, 0, tzinfo=JST)
    total = 0
    for i in range(args.count):
        data = message(rng, i, start)
        total += len(data)
        with open(os.path.join(args.dir, "cur", f"{i:07d}.eml"), "wb") as f:
            f.write(data)
    print(f"{args.count} messages, {total / 1024 / 1024:.1f} MiB, in {args.dir}")


if __name__ == "__main__":
    main()
