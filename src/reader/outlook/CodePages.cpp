#include "reader/outlook/CodePages.h"

QByteArray CodePages::charsetName(int codePage)
{
    switch (codePage) {
    case 932:
        return "shift_jis";
    case 936:
        return "gbk";
    case 949:
        return "cp949";
    case 950:
        return "big5";
    case 20127:
        return "us-ascii";
    case 20866:
        return "koi8-r";
    case 21866:
        return "koi8-u";
    case 50220:
    case 50221:
    case 50222:
        return "iso-2022-jp";
    case 51932:
        return "euc-jp";
    case 65001:
        return "utf-8";
    default:
        break;
    }
    if (codePage >= 28591 && codePage <= 28606) {
        return QByteArray("iso-8859-").append(QByteArray::number(codePage - 28590));
    }
    if (codePage == 874 || (codePage >= 1250 && codePage <= 1258)) {
        return QByteArray("windows-").append(QByteArray::number(codePage));
    }
    return QByteArray();
}
