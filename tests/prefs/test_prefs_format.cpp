#include "prefs/PrefsFormat.h"

#include <QDateTime>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <optional>

using namespace qlk;
using namespace qlk::prefsformat;

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text));
}

// A file: magic, version, flag, payload.
QByteArray file(const QByteArray& payload, quint16 version = 256, quint8 flag = 0)
{
    QByteArray out("BPrefs");
    out.append(char(version >> 8)).append(char(version & 0xff)).append(char(flag));
    return out + payload;
}

PrefsDict dictOf(std::initializer_list<std::pair<QString, QVariant>> entries)
{
    PrefsDict d;
    for (const auto& e : entries)
        d.insert(e.first, e.second);
    return d;
}

// The worked example: "sudo" = 1.
const char* const kSudoDict = "005B 0000000A 00000014 0008 08000100 7375646F 0002 00000001";

std::string show(const QByteArray& bytes)
{
    return bytes.toHex(' ').toStdString();
}

} // namespace

TEST(PrefsEncoding, OneInt32SudoGivesTheDocumentedBytes)
{
    const QByteArray bytes = encodedict(dictOf({{QStringLiteral("sudo"), 1}}));
    EXPECT_EQ(bytes.size(), 26);
    EXPECT_EQ(show(bytes), show(hex(kSudoDict)));
}

TEST(PrefsEncoding, EmptyAndAbsentDictionaries)
{
    EXPECT_EQ(show(encodedict(PrefsDict())), "00 5b");
    EXPECT_EQ(show(encodeprefs(std::nullopt)), "00 33");
}

TEST(PrefsEncoding, FileStartsWithMagicVersionAndPlainFlag)
{
    const QByteArray bytes = writePrefsFile(dictOf({{QStringLiteral("sudo"), 1}}));
    EXPECT_EQ(show(bytes.left(9)), "42 50 72 65 66 73 01 00 00");
    EXPECT_EQ(show(bytes.mid(9)), show(hex(kSudoDict)));
}

TEST(PrefsEncoding, ElementsOfEachType)
{
    struct Case {
        const char* name;
        QVariant value;
        const char* bytes;
    };
    const Case cases[] = {
        {"int32", QVariant(qint32(-2)), "0002 FFFFFFFE"},
        {"double", QVariant(1.5), "0005 3FF8000000000000"},
        {"date", QVariant(QDateTime(QDate(2013, 7, 4), QTime(9, 5, 30))), "0007 323031332D30372D30342030393A30353A3330"},
        {"utf8 text", QVariant(QStringLiteral("é")), "0008 08000100 C3A9"},
        {"raw text", QVariant::fromValue(PrefsRawText{"\xe9"}), "0008 FFFFFFFF E9"},
        {"true", QVariant(true), "000B 01"},
        {"false", QVariant(false), "000B 00"},
        {"colour", QVariant::fromValue(PrefsColour{1, 2, 3}), "0010 010203"},
        {"null", QVariant(), "0033"},
        {"bytes", QVariant(QByteArray("\x00\xff", 2)), "0047 00FF"},
        {"file reference", QVariant::fromValue(PrefsFileRef{"/tmp/x"}), "017D 2F746D702F78"},
        {"absent file reference", QVariant::fromValue(PrefsFileRef{}), "017D"},
    };
    for (const Case& c : cases) {
        const std::optional<QByteArray> e = encodevalue(c.value);
        ASSERT_TRUE(e.has_value()) << c.name;
        EXPECT_EQ(show(*e), show(hex(c.bytes))) << c.name;
    }
    // Types the file cannot hold give no element.
    EXPECT_FALSE(encodevalue(QVariant(qint64(1))).has_value());
    EXPECT_FALSE(encodevalue(QVariant(1u)).has_value());
    EXPECT_FALSE(encodevalue(QVariant(1.5f)).has_value());
    EXPECT_FALSE(encodevalue(QVariant(QStringList{QStringLiteral("a")})).has_value());
}

TEST(PrefsEncoding, NestedDictionaryKeepsOffsetsFromItsOwnTag)
{
    PrefsDict inner = dictOf({{QStringLiteral("a"), 7}});
    PrefsDict outer;
    outer.insert(QStringLiteral("in"), QVariant::fromValue(inner));
    const QByteArray bytes = encodedict(outer);
    // Outer: table 2..9, key "in" at 10 (8 bytes), value at 18.
    EXPECT_EQ(show(bytes.left(10)), show(hex("005B 0000000A 00000012")));
    // The inner element is encoded exactly as on its own.
    EXPECT_EQ(show(bytes.mid(18)), show(encodedict(inner)));
    const DictResult back = decodedict(bytes);
    ASSERT_TRUE(back.dict) << back.error.text().toStdString();
    EXPECT_EQ(back.dict->value(QStringLiteral("IN")).value<PrefsDict>().value(QStringLiteral("a")).toInt(), 7);
}

TEST(PrefsEncoding, EntriesThatCannotBeEncodedAreLeftOut)
{
    PrefsDict d = dictOf({{QStringLiteral("big"), QVariant(qint64(1) << 40)}, {QStringLiteral("sudo"), 1}});
    EXPECT_EQ(show(encodedict(d)), show(hex(kSudoDict)));
}

TEST(PrefsDecoding, EveryTypeSurvivesEncodeAndDecode)
{
    PrefsDict inner = dictOf({{QStringLiteral("deep"), QStringLiteral("x")}});
    PrefsDict d = dictOf({
        {QStringLiteral("int"), qint32(-123456)},
        {QStringLiteral("max"), qint32(2147483647)},
        {QStringLiteral("double"), 3.25},
        {QStringLiteral("date"), QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58))},
        {QStringLiteral("text"), QStringLiteral("Grüße\tzwei\nZeilen")},
        {QStringLiteral("empty"), QString()},
        {QStringLiteral("raw"), QVariant::fromValue(PrefsRawText{QByteArray("\xff\x00z", 3)})},
        {QStringLiteral("yes"), true},
        {QStringLiteral("no"), false},
        {QStringLiteral("colour"), QVariant::fromValue(PrefsColour{255, 128, 0})},
        {QStringLiteral("null"), QVariant()},
        {QStringLiteral("bytes"), QByteArray("\x01\x02\x00", 3)},
        {QStringLiteral("ref"), QVariant::fromValue(PrefsFileRef{"/home/u/a b"})},
        {QStringLiteral("nested"), QVariant::fromValue(inner)},
    });
    const DictResult back = readPrefsFile(writePrefsFile(d));
    ASSERT_TRUE(back.dict) << back.error.text().toStdString();
    EXPECT_EQ(back.dict->size(), d.size());
    for (const PrefsDict::Entry& e : d.entries()) {
        const QVariant got = back.dict->value(e.key);
        EXPECT_EQ(got.typeId(), e.value.typeId()) << e.key.toString().toStdString();
        EXPECT_TRUE(got == e.value || (!got.isValid() && !e.value.isValid())) << e.key.toString().toStdString();
    }
    EXPECT_TRUE(*back.dict == d);
}

TEST(PrefsDecoding, ScrambledPayloadReadsAsThePlainOne)
{
    const PrefsDict d = dictOf({{QStringLiteral("sudo"), 1}, {QStringLiteral("editor"), QStringLiteral("Kate")}});
    const QByteArray payload = encodedict(d);
    const QByteArray key = builtinKey();
    ASSERT_EQ(key.size(), 65);
    const QByteArray scrambled = scramble(payload, key);
    EXPECT_NE(scrambled, payload);
    EXPECT_EQ(unscramble(scrambled, key), payload);
    // Every byte value goes there and back, for odd and even key bytes.
    QByteArray all;
    for (int i = 0; i < 256 * 2; ++i)
        all.append(char(i));
    EXPECT_EQ(unscramble(scramble(all, key), key), all);
    EXPECT_EQ(unscramble(QByteArray(), key), QByteArray());

    const DictResult plain = readPrefsFile(file(payload, 256, 0));
    const DictResult fromScrambled = readPrefsFile(file(scrambled, 256, 0x80));
    ASSERT_TRUE(plain.dict && fromScrambled.dict);
    EXPECT_TRUE(*plain.dict == *fromScrambled.dict);
}

// Hand-made files: what the reader accepts, tolerates and refuses.
TEST(PrefsDecoding, HandMadeFiles)
{
    const PrefsDict sudo = dictOf({{QStringLiteral("sudo"), 1}});
    const QByteArray sudoPayload = hex(kSudoDict);
    // Builds a dictionary element from raw offsets and element bytes.
    auto dictElement = [](const QList<qint32>& offsets, const QByteArray& elements) {
        QByteArray out = hex("005B");
        for (qint32 o : offsets) {
            const quint32 u = quint32(o);
            out.append(char(u >> 24)).append(char(u >> 16)).append(char(u >> 8)).append(char(u));
        }
        return out + elements;
    };
    const QByteArray keySudo = hex("0008 08000100 7375646F");
    const QByteArray one = hex("0002 00000001");
    QByteArray deep = hex("005B");
    for (int i = 0; i < 300; ++i)
        deep = dictElement({10, 12}, hex("0033") + deep);

    struct Case {
        const char* name;
        QByteArray bytes;
        std::optional<PrefsDict> expect; // none: refused
        qint64 errorOffset = -1;         // checked when >= 0
    };
    const Case cases[] = {
        // Read.
        {"plain sudo", file(sudoPayload), sudo},
        {"version 512", file(sudoPayload, 512), sudo},
        {"flag 1 is plain", file(sudoPayload, 256, 1), sudo},
        {"flag 0xff is plain", file(sudoPayload, 256, 0xff), sudo},
        {"empty dictionary", file(hex("005B")), PrefsDict()},
        {"3 bytes, tag first", file(hex("005B00")), PrefsDict()},
        {"3 bytes, tag second", file(hex("00005B")), PrefsDict()},
        {"bytes before the dictionary", file(hex("FFFF 1234") + sudoPayload), sudo},
        {"tag 91 not followed by 00 00 is skipped", file(hex("005B 0100") + sudoPayload), sudo},
        {"keys differing in case are one, last value wins",
         file(dictElement({18, 28, 34, 44}, keySudo + one + hex("0008 08000100 5355444F") + hex("0002 00000002"))),
         dictOf({{QStringLiteral("sudo"), 2}})},
        // Tolerated.
        {"gap after the offset table", file(dictElement({12, 22}, hex("0000") + keySudo + one)), sudo},
        {"key without a value", file(dictElement({14, 24, 30}, keySudo + one + hex("0033"))), sudo},
        {"first offset below the table means empty", file(hex("005B 00000003")), PrefsDict()},
        {"unknown tag read as a byte block",
         file(dictElement({10, 20}, keySudo + hex("0009 ABCD"))),
         dictOf({{QStringLiteral("sudo"), QByteArray::fromHex("0009ABCD")}})},
        {"text without encoding",
         file(dictElement({10, 20}, keySudo + hex("0008 FFFFFFFF E9"))),
         dictOf({{QStringLiteral("sudo"), QVariant::fromValue(PrefsRawText{"\xe9"})}})},
        {"Latin-1 text",
         file(dictElement({10, 20}, keySudo + hex("0008 00000201 E9"))),
         dictOf({{QStringLiteral("sudo"), QStringLiteral("é")}})},
        {"Int32 with trailing bytes", file(sudoPayload + hex("FF")), sudo},
        // Refused by the header.
        {"empty file", QByteArray(), std::nullopt, 0},
        {"shorter than the header", QByteArray("BPrefs\x01", 7), std::nullopt, 0},
        {"wrong magic", QByteArray("BPrefX") + file(sudoPayload).mid(6), std::nullopt, 0},
        {"version 255", file(sudoPayload, 255), std::nullopt, 6},
        {"negative version", file(sudoPayload, 0x8000), std::nullopt, 6},
        {"header only", file(QByteArray()), std::nullopt, 9},
        {"no dictionary tag", file(hex("0002 00000001")), std::nullopt, 9},
        {"2 bytes, not a dictionary", file(hex("0002")), std::nullopt, 9},
        // Damaged.
        {"offset past the end", file(dictElement({10, 0x7fffffff}, keySudo + one)), std::nullopt, 9 + 6},
        {"offsets going backwards", file(dictElement({14, 24, 16}, keySudo + one + hex("0033"))), std::nullopt, 9 + 10},
        {"offset into the table", file(dictElement({10, 4}, keySudo + one)), std::nullopt, 9 + 6},
        {"table longer than the file", file(hex("005B 0000FFFF 0000")), std::nullopt, 9 + 2},
        {"dictionary cut inside its first offset", file(hex("005B 0000")), std::nullopt, 9 + 2},
        {"Int32 cut short", file(sudoPayload.left(24)), std::nullopt, 9 + 22},
        {"text cut inside its code", file(dictElement({10, 14}, hex("0008 0800") + one)), std::nullopt, 9 + 12},
        {"element too short for a tag", file(dictElement({10, 11}, hex("00") + one)), std::nullopt, 9 + 6},
        {"last element too short for a tag", file(dictElement({10, 20}, keySudo + hex("00"))), std::nullopt, 9 + 20},
        {"bad date", file(dictElement({10, 20}, keySudo + hex("0007") + QByteArray(19, 'x'))), std::nullopt, 9 + 22},
        {"nested too deep", file(deep), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DictResult r = readPrefsFile(c.bytes);
        if (c.expect) {
            ASSERT_TRUE(r.dict.has_value()) << r.error.text().toStdString();
            EXPECT_TRUE(*r.dict == *c.expect) << r.dict->size();
        } else {
            EXPECT_FALSE(r.dict.has_value());
            EXPECT_FALSE(r.error.message.isEmpty());
            if (c.errorOffset >= 0) {
                EXPECT_EQ(r.error.offset, c.errorOffset) << r.error.text().toStdString();
            }
        }
    }
}

TEST(PrefsDecoding, NestingWithinTheLimitIsRead)
{
    QByteArray element = encodedict(dictOf({{QStringLiteral("leaf"), 1}}));
    for (int i = 0; i < 100; ++i) {
        PrefsDict d;
        d.insert(QStringLiteral("k"), QVariant::fromValue(decodedict(element).dict.value()));
        element = encodedict(d);
    }
    const DictResult r = decodeprefs(element);
    ASSERT_TRUE(r.dict) << r.error.text().toStdString();
}

TEST(PrefsDecoding, EveryTruncationAndRandomDamageEndsWithAResult)
{
    const PrefsDict d = dictOf({
        {QStringLiteral("method"), 1},
        {QStringLiteral("editor"), QStringLiteral("TextEdit")},
        {QStringLiteral("when"), QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5))},
        {QStringLiteral("nested"), QVariant::fromValue(dictOf({{QStringLiteral("x"), 2.5}}))},
    });
    const QByteArray whole = writePrefsFile(d);
    for (int n = 0; n < whole.size(); ++n) {
        const DictResult r = readPrefsFile(whole.left(n));
        if (!r.dict) {
            EXPECT_GE(r.error.offset, 0);
            EXPECT_LE(r.error.offset, n) << n;
        }
    }
    // Cut inside the offset table or a fixed-size value: refused.
    EXPECT_FALSE(readPrefsFile(whole.left(9 + 20)).dict);

    QRandomGenerator random(20130); // fixed seed: the same bytes every run
    for (int i = 0; i < 2000; ++i) {
        QByteArray damaged = whole;
        const int flips = 1 + int(random.bounded(4));
        for (int f = 0; f < flips; ++f)
            damaged[int(random.bounded(quint32(damaged.size())))] = char(random.bounded(256));
        const DictResult r = readPrefsFile(damaged);
        EXPECT_TRUE(r.dict || !r.error.message.isEmpty());
    }
    for (int i = 0; i < 200; ++i) {
        QByteArray garbage = file(hex("005B 0000"));
        for (int j = 0, n = int(random.bounded(200)); j < n; ++j)
            garbage.append(char(random.bounded(256)));
        const DictResult r = readPrefsFile(garbage);
        EXPECT_TRUE(r.dict || !r.error.message.isEmpty());
    }
}

TEST(PrefsDict, KeysDifferingOnlyInCaseAreOneKey)
{
    PrefsDict d;
    d.insert(QStringLiteral("ignoreupdmap"), 0);
    d.insert(QStringLiteral("IgnoreUpdmap"), 1);
    EXPECT_EQ(d.size(), 1);
    EXPECT_TRUE(d.contains(QStringLiteral("IGNOREUPDMAP")));
    EXPECT_EQ(d.value(QStringLiteral("Ignoreupdmap")).toInt(), 1);
    EXPECT_EQ(d.entries().first().key.toString(), QStringLiteral("ignoreupdmap"));
    // Other key types compare by type and value.
    d.insert(1, QStringLiteral("int one"));
    d.insert(QStringLiteral("1"), QStringLiteral("text one"));
    EXPECT_EQ(d.size(), 3);
    EXPECT_EQ(d.value(1).toString(), QStringLiteral("int one"));
}
