// The reference calculation source: content against the published table, record bytes, parser
// faults.
#include <gtest/gtest.h>

#include "base/Codec.h"
#include "messages/Zmsg.h"
#include "tests/support/Tempdir.h"
#include "workflow/Refdata.h"

namespace {

std::vector<TRefCalc> RepoCalcs() {
  return ParseRefSource(ReadAll(std::string(RAVINEL_SOURCE_DIR) + "/workflow/refdata/p145.txt"));
}

std::vector<std::string> Codes(const TRefCalc& c) {
  std::vector<std::string> v;
  for (const TRefLine& l : c.Source)
    v.push_back(l.Code);
  return v;
}

bool SameLines(const std::vector<TRefLine>& a, const std::vector<TRefLine>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].Number != b[i].Number || a[i].Final != b[i].Final || a[i].Name != b[i].Name ||
        a[i].Code != b[i].Code || a[i].Formula != b[i].Formula)
      return false;
  return true;
}

void ExpectParseFails(const std::string& text, const std::string& needle) {
  try {
    ParseRefSource(Utf8FromCp1251(text));
    ADD_FAILURE() << "no error for: " << needle;
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number, 0);
    EXPECT_NE(e.Text.find(needle), std::string::npos) << e.Text;
  }
}

} // namespace

TEST(Refdata, ValueCodesAndLineCountsOfEveryGroup) {
  const std::vector<std::string> old0 = {"П28", "П39", "П3", "КС1451", "КС1452", "КС1453", "П39Г"};
  const std::vector<std::string> old1 = {"П28", "КС1451", "КС1452", "КС1453"};
  const std::vector<std::string> old2 = {"П28", "П39", "П3", "КС1451", "КС1452", "КС1453"};
  const std::vector<std::string> new0 = {"П28", "П27",  "П752",   "П24",    "П3",    "П5",
                                         "П23", "П23Г", "КС1451", "КС1452", "КС1453"};
  const std::vector<std::string> new1 = {"П28", "П27", "П752", "П24", "КС1451", "КС1452", "КС1453"};
  const std::vector<std::string> new2 = {"П28", "П27", "П752",   "П24",    "П3",
                                         "П5",  "П23", "КС1451", "КС1452", "КС1453"};
  const std::vector<std::string>* codes[8] = {&old0, &old1, &old2, &old2,
                                              &new0, &new1, &new2, &new2};
  const size_t results[8] = {9, 3, 7, 7, 9, 3, 8, 8};
  auto calcs = RepoCalcs();
  ASSERT_EQ(calcs.size(), 16u);
  for (int g = 0; g < 16; ++g) {
    int k = g % 4, v = g >= 8 ? 4 : 0;
    EXPECT_EQ(calcs[g].Kind, k);
    EXPECT_EQ(calcs[g].Russian, g % 8 < 4);
    EXPECT_EQ(Codes(calcs[g]), *codes[v + k]) << "group " << g;
    EXPECT_EQ(calcs[g].Result.size(), results[v + k]) << "group " << g;
    const std::string fin = calcs[g].Russian
                                ? "Средства на покрытие дополнительных затрат, связанных с "
                                  "инфляционными процессами"
                                : "Кошти на покриття додаткових витрат, пов'язаних з "
                                  "\x69нфляц\x69йними процесами";
    EXPECT_EQ(calcs[g].Result.back().Name, fin) << "group " << g;
    EXPECT_NE(calcs[g].Result.back().Formula.find('\x01'), std::string::npos);
  }
}

TEST(Refdata, GroupIdentities) {
  auto c = RepoCalcs();
  EXPECT_TRUE(SameLines(c[3].Source, c[2].Source) && SameLines(c[3].Result, c[2].Result));
  EXPECT_TRUE(SameLines(c[11].Source, c[10].Source) && SameLines(c[11].Result, c[10].Result));
  EXPECT_TRUE(SameLines(c[15].Source, c[14].Source) && SameLines(c[15].Result, c[14].Result));
  EXPECT_TRUE(SameLines(c[7].Source, c[6].Source));
  ASSERT_EQ(c[7].Result.size(), c[6].Result.size());
  for (size_t i = 0; i < c[6].Result.size(); ++i) {
    TRefLine a = c[6].Result[i], b = c[7].Result[i];
    if (i == 4 || i == 5) {
      EXPECT_NE(a.Name.find("устаткування"), std::string::npos);
      EXPECT_NE(b.Name.find("обладнання"), std::string::npos);
      EXPECT_EQ(b.Name.find("устаткування"), std::string::npos);
      a.Name = b.Name;
    }
    EXPECT_TRUE(SameLines({a}, {b})) << "line " << i + 1;
  }
  // Ukrainian groups translate the Russian ones: same codes and formulas, other names.
  for (int g = 4; g < 8; ++g) {
    EXPECT_EQ(Codes(c[g]), Codes(c[g - 4]));
    EXPECT_NE(c[g].Source[0].Name, c[g - 4].Source[0].Name);
    EXPECT_EQ(c[g].Result[0].Formula, c[g - 4].Result[0].Formula);
  }
}

TEST(Refdata, QuotedNamesOfKindZeroAndMachineLines) {
  auto c = RepoCalcs();
  const char* names[7] = {
      "Стоимость материалов по объектам глав 1-9 (без учета сезонных удорожаний), тыс. грн.",
      "Стоимость материалов в монтажных работах по объектам главам 1-9, тыс. грн.",
      "Стоимость оборудования по объектам глав 1-9, тыс. грн.",
      "Прогнозный уровень  инфляции  первого года строительства, к-т ",
      "Прогнозный уровень  инфляции второго года строительства, к-т ",
      "Соотношение стоимости первого года строительства к общей стоимости строительства ",
      "Стоимость материалов в горных работах по объектам глав 1-9, тыс. грн."};
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(c[0].Source[i].Name, names[i]);
  EXPECT_EQ(c[0].Result[0].Name,
            "Стоимость материально-технических ресурсов строительных работ первого года "
            "строительства");
  EXPECT_EQ(c[0].Result[0].Formula, "(п1.1-п1.2-п1.7)хп1.6");
  for (int g : {8, 9, 10, 11}) {
    EXPECT_EQ(c[g].Source[1].Name, "Стоимость эксплуатации машин по объектам  глав 1-9 (без "
                                   "учета сезонных удорожаний), тыс. грн.");
    EXPECT_EQ(c[g].Source[2].Name, "Заработная плата рабочих, занятых управлением и "
                                   "обслуживанием машин, по объектам глав 1-9, тыс. грн.");
    EXPECT_EQ(c[g].Source[3].Name,
              "Амортизационные отчисления на полное восстановление машин, тыс. грн.");
  }
}

TEST(Refdata, RecordBytes) {
  auto c = RepoCalcs();
  auto recs = EncodeRefCalc(c[0]);
  ASSERT_EQ(recs.size(), 1u + 7 + 1 + 9);
  EXPECT_EQ(recs[0].Prefix, 0);
  EXPECT_EQ(recs[0].Data, std::string("\x04\x00\xC4\x31\x34\x35", 6));
  // First source line: 108 data bytes, as in the shipped reference file.
  const std::string& s1 = recs[1].Data;
  EXPECT_EQ(recs[1].Prefix, 1);
  ASSERT_EQ(s1.size(), 108u);
  EXPECT_EQ(s1.substr(0, 9), std::string("\x04\x00\xC4\x31\x34\x35\x01\x00\x01", 9));
  EXPECT_EQ(s1.substr(9, 2), std::string("\x54\x00", 2));              // name length 84
  EXPECT_EQ(s1.substr(95, 5), std::string("\x03\x00\xCF\x32\x38", 5)); // "П28"
  EXPECT_EQ(s1.substr(100), std::string(8, '\0'));
  // Separator, then the first result line.
  EXPECT_EQ(recs[8].Prefix, 2);
  EXPECT_EQ(recs[8].Data, recs[0].Data);
  const std::string& r1 = recs[9].Data;
  EXPECT_EQ(recs[9].Prefix, 3);
  EXPECT_EQ(r1.substr(6, 3), std::string("\x01\x00\x00", 3));
  size_t nameLen = c[0].Result[0].Name.size();
  size_t at = 9 + 2 + nameLen;
  EXPECT_EQ(r1.substr(at, 2), "\x03\x20");
  EXPECT_EQ(r1.substr(at + 2), PackText("(п1.1-п1.2-п1.7)хп1.6") + std::string(16, '\0'));
  // The final line carries the flag 1.
  EXPECT_EQ(recs.back().Data[8], '\x01');
  EXPECT_EQ(recs.back().Data.substr(6, 2), std::string("\x09\x00", 2));
}

TEST(Refdata, ReferenceGroupNumbers) {
  EXPECT_EQ(RefGroupOf(2, true, false), 2);
  EXPECT_EQ(RefGroupOf(2, true, true), 10);
  EXPECT_EQ(RefGroupOf(2, false, false), 6);
  EXPECT_EQ(RefGroupOf(2, false, true), 14);
}

TEST(Refdata, ParserFaultsNameTheLine) {
  const std::string head = "group 0\nkind 0\nlang rus\nversion old\n";
  ExpectParseFails("group 1\n", "строка 1");
  ExpectParseFails(head + "src 2 П28 \"a\"\n", "строка 5");
  ExpectParseFails(head + "src 1 П28 \"a\n", "кавычкой");
  ExpectParseFails(head + "src 1 П28 \"a\\q\"\n", "escape");
  try { // a character outside code page 1251, given in UTF-8
    ParseRefSource(Utf8FromCp1251(head + "src 1 П28 \"") + "\xE4\xB8\xAD\"\n");
    ADD_FAILURE();
  } catch (const ZError& e) {
    EXPECT_NE(e.Text.find("1251"), std::string::npos);
  }
  ExpectParseFails(head + "src 1 П28 \"a\" extra\n", "лишний");
  ExpectParseFails(head + "src 1 П28 \"a\"\nres 1 1 \"b\" \"f\"\nres 2 1 \"c\" \"f\"\n",
                   "признак итоговой");
  const std::string body = "src 1 П28 \"a\"\nres 1 1 \"b\" \"f\"\n";
  ExpectParseFails(head + body + "group 1\nkind 0\nlang rus\nversion old\n" + body, "вид");
  ExpectParseFails(head + "group 1\n", "без строк");
  ExpectParseFails(head + "src 1 П28 \"a\"\nres 1 1 \"b\" \"f\"\n", "16 групп");
  ExpectParseFails(head + "bogus 1\n", "неизвестное");
}

TEST(Refdata, EscapesGiveBytes) {
  std::string text;
  for (int g = 0; g < 16; ++g) {
    text += "group " + std::to_string(g) + "\nkind " + std::to_string(g % 4) + "\nlang " +
            (g % 8 < 4 ? "rus" : "ukr") + "\nversion " + (g < 8 ? "old" : "new") + "\n";
    text += "src 1 П3 \"  a \\\"q\\\" \\\\ \"\nres 1 1 \"  \" \"x\\x01y\"\n";
  }
  auto c = ParseRefSource(Utf8FromCp1251(text));
  EXPECT_EQ(c[5].Source[0].Name, "  a \"q\" \\ ");
  EXPECT_EQ(c[5].Result[0].Name, "  ");
  EXPECT_EQ(c[5].Result[0].Formula, std::string("x\x01y"));
}
