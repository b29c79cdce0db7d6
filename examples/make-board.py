#!/usr/bin/env python3
"""Writes the sample board in examples/board as code page 932 files, as the board itself stores them."""
import pathlib

BOARD = pathlib.Path(__file__).resolve().parent / "board"

# file name: (furigana, name, group, memo, reason lines, return date, return time, tel, ip, icon)
PERSONS = {
    "yamada": ("やまだ たろう", "山田 太郎", "営業部", "外回り中心", ["外出"], "2099/12/31", "17:00", "03-1234-0001", "192.168.0.11", "2"),
    "suzuki": ("すずき はなこ", "鈴木 花子", "総務部", "", ["休暇", "緊急時は携帯へ"], "2001/04/02", "", "03-1234-0002", "192.168.0.12", "3"),
    "sato": ("さとう じろう", "佐藤 次郎", "開発部", "内線 2203", [], "", "", "03-1234-0003", "192.168.0.13", "0"),
    "tanaka": ("たなか みき", "田中 美紀", "営業部", "", ["出張", "大阪支社"], "来週", "", "03-1234-0004", "192.168.0.14", "4"),
    "ito": ("いとう けん", "伊藤 健", "開発部", "在宅勤務", [], "", "", "03-1234-0005", "192.168.0.15", "0"),
    "watanabe": ("わたなべ ゆい", "渡辺 結衣", "総務部", "", ["会議"], "2099/01/15", "10:30", "03-1234-0006", "192.168.0.16", "1"),
    "nakamura": ("なかむら しょう", "中村 翔", "営業部", "案件「特急」担当", ["外出", "直帰"], "2099/06/01", "", "03-1234-0007", "192.168.0.17", "2"),
    "kobayashi": ("こばやし あい", "小林 愛", "開発部", "", [], "", "", "03-1234-0008", "192.168.0.18", "0"),
    "kato": ("かとう まこと", "加藤 誠", "経理部", "月末は多忙", ["通院"], "2001/04/02", "15:00", "03-1234-0009", "192.168.0.19", "5"),
    "yoshida": ("よしだ なお", "吉田 奈央", "経理部", "", [], "", "", "03-1234-0010", "192.168.0.20", "0"),
    "smith": ("Smith John", "John Smith", "開発部", "English OK", ["Visiting a client"], "2099/03/03", "09:00", "03-1234-0011", "192.168.0.21", "2"),
    "abe": ("あべ さくら", "阿部 さくら", "総務部", "", [], "", "", "03-1234-0012", "192.168.0.22", "0"),
}
POWERED_OFF = {"suzuki", "kato"}


def quoted(lines):
    """A value of one line as it is, of several lines in double quotes spanning them."""
    if len(lines) <= 1:
        return lines
    return ['"' + lines[0]] + lines[1:-1] + [lines[-1] + '"']


def main():
    BOARD.mkdir(exist_ok=True)
    for name, (kana, full, group, memo, reason, date, time, tel, ip, icon) in PERSONS.items():
        lines = [kana, full, group, memo] + (quoted(reason) or [""]) + [date, time, tel, ip, icon]
        (BOARD / f"{name}.vlt").write_bytes(("\r\n".join(lines) + "\r\n").encode("cp932"))
        marker = BOARD / f"{name}.off"
        if name in POWERED_OFF:
            marker.write_bytes(b"")
        elif marker.exists():
            marker.unlink()
    (BOARD / "velto.ini").write_bytes(b"[Velto]\r\nUDPMessage,Port=1990\r\n")


if __name__ == "__main__":
    main()
