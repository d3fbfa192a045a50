#pragma once
#include <QByteArray>

#include <initializer_list>

namespace qlk::test {

// Builds DVI bytes by hand for the reader's tests.
class DviBytes {
public:
    DviBytes& op(int code) { data_.append(char(code)); return *this; }
    DviBytes& bytes(std::initializer_list<int> values)
    {
        for (int v : values)
            data_.append(char(v));
        return *this;
    }
    DviBytes& text(const char* s) { data_.append(s); return *this; }
    // A big-endian number of n bytes.
    DviBytes& num(qint64 v, int n)
    {
        for (int i = n - 1; i >= 0; --i)
            data_.append(char((v >> (8 * i)) & 0xff));
        return *this;
    }
    DviBytes& word(qint64 v) { return num(v, 4); }
    // pre with identification 2, TeX's num/den, mag 1000 and a comment.
    DviBytes& pre(const QByteArray& comment)
    {
        op(247).op(2).word(25400000).word(473628672).word(1000).op(int(comment.size()));
        data_.append(comment);
        return *this;
    }
    DviBytes& bop() { op(139); for (int i = 0; i < 11; ++i) word(i == 10 ? -1 : 0); return *this; }
    DviBytes& fntDef1(int k, qint64 s, qint64 d, const char* name, const char* area = "")
    {
        op(243).op(k).word(0x12345678).word(s).word(d).op(int(qstrlen(area))).op(int(qstrlen(name)));
        data_.append(area);
        data_.append(name);
        return *this;
    }
    DviBytes& post() { op(248); for (int i = 0; i < 7; ++i) word(0); return *this; }
    QByteArray data() const { return data_; }

private:
    QByteArray data_;
};

} // namespace qlk::test
