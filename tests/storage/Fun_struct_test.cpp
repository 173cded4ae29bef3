// Record structures: packed dates, field offsets, empty records, field values as text, SetValue,
// unpacked images and structure descriptions read from the screen description file.
#include <gtest/gtest.h>

#include <filesystem>

#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "storage/Dwfile.h"
#include "storage/Fun_struct.h"
#include "tests/support/SuiteBuilder.h"
#include "tests/support/Tempdir.h"

namespace {
TListFields Fields(const std::vector<int>& types) {
  TListFields list;
  for (size_t i = 0; i < types.size(); ++i)
    list.push_back({"F" + std::to_string(i + 1), static_cast<TypeField>(types[i]), 0, 0});
  return list;
}

void Put(WRec& rec, const std::string& bytes) {
  std::memcpy(rec.Data, bytes.data(), bytes.size());
  rec.Len = static_cast<uint16_t>(bytes.size());
}

std::string Bytes(const WRec& rec) {
  return std::string(rec.Data, rec.Len);
}

std::string Value(const TListFields& list, const std::string& name, const WRec& rec,
                  bool zeroAsEmpty = false) {
  int index = -1;
  bool found = false;
  std::string text = GetValueUnPack(&list, name, index, &rec, found, zeroAsEmpty);
  EXPECT_TRUE(found) << name;
  return text;
}

TEST(PackedDate, WorkedDates) {
  EXPECT_EQ(PackDate_2b(15, 3, 2009), 4719);
  EXPECT_EQ(UnPackDt1(4719), "15.03.2009");
  EXPECT_EQ(PackDt1("15.03.2009"), 4719);
  uint16_t d95 = PackDate_2b(31, 12, 1995);
  EXPECT_EQ(d95 >> 9, 95);
  EXPECT_EQ(UnPackDt1(d95), "31.12.1995");
  uint16_t d85 = PackDate_2b(1, 2, 1985);
  EXPECT_EQ(d85 >> 9, 85);
  EXPECT_EQ(UnPackDt1(d85), "01.02.2085"); // codes below 90 are read as 20xx
  EXPECT_EQ(UnPackDt1(PackDate_2b(1, 1, 1990)), "01.01.1990");
  EXPECT_EQ(UnPackDt1(PackDate_2b(31, 12, 2089)), "31.12.2089");
  EXPECT_THROW(PackDt1("1x.03.2009"), ZError);
}

TEST(CreatEmptyRec, EmptyFieldsAndOffsets) {
  TListFields list = Fields({1, 3, 5, 9});
  WRec rec;
  rec.Adr = 5;
  EXPECT_EQ(CreatEmptyRec(&list, &rec, 1), 4);
  EXPECT_EQ(Bytes(rec), std::string("\x00\x00\x00\x81\x00", 5) + std::string(8, '\0'));
  EXPECT_EQ(rec.Prefix, 1);
  EXPECT_EQ(rec.Adr, EmptyAdr);
  int offsets[] = {2, 4, 4, 5};
  int lengths[] = {0, 0, 1, 8};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(list[i].FOffset, offsets[i]);
    EXPECT_EQ(list[i].FLength, lengths[i]);
  }
  // Type 2 writes 00 82; unknown types take no bytes.
  TListFields other = Fields({2, 0, 12, 10, 11});
  CreatEmptyRec(&other, &rec, 0);
  EXPECT_EQ(Bytes(rec), std::string("\x00\x82\x00\x00\x00\x00\x00\x00", 8));
}

TEST(CreatStructRecord, TextPrefixesSettleTheType) {
  TListFields list = Fields({1, 1, 1, 6});
  WRec rec;
  Put(rec, std::string("\x02\x81"
                       "ab"
                       "\x03\x82"
                       "cde"
                       "\x01\x00"
                       "f"
                       "\x34\x12",
                       14));
  CreatStructRecord(&list, &rec);
  EXPECT_EQ(list[0].FType, tfShort81);
  EXPECT_EQ(list[1].FType, tfShort82);
  EXPECT_EQ(list[2].FType, tfString);
  EXPECT_EQ(list[0].FOffset, 2);
  EXPECT_EQ(list[1].FOffset, 6);
  EXPECT_EQ(list[2].FOffset, 11);
  EXPECT_EQ(list[3].FOffset, 12);
  EXPECT_EQ(Value(list, "F2", rec), "cde");
  EXPECT_EQ(Value(list, "F4", rec), "4660");
  // A record that ends part-way: the walk stops and later fields keep their old values.
  TListFields cut = Fields({1, 6, 7});
  cut[2].FOffset = 99;
  Put(rec, std::string("\x01\x00"
                       "a"
                       "\x05",
                       4));
  CreatStructRecord(&cut, &rec);
  EXPECT_EQ(cut[0].FOffset, 2);
  EXPECT_EQ(cut[1].FOffset, 0);
  EXPECT_EQ(cut[2].FOffset, 99);
}

TEST(GetValueUnPack, TypesAndZeroSuppression) {
  TListFields list = Fields({6, 1, 3, 5, 7, 9, 10, 11, 4});
  WRec rec;
  CreatEmptyRec(&list, &rec, 0);
  EXPECT_EQ(Value(list, "F1", rec), "0");
  EXPECT_EQ(Value(list, "F1", rec, true), "");
  EXPECT_EQ(Value(list, "F7", rec, true), "00.00.2000"); // dates are never suppressed
  int len;
  SetValue(&list, &rec, "F2", 1, "0", 0);
  SetValue(&list, &rec, "F3", 1, "0", 0);
  EXPECT_EQ(Value(list, "F2", rec, true), "0"); // a type 1 text keeps its 0
  EXPECT_EQ(Value(list, "F3", rec, true), "");
  SetValue(&list, &rec, "F4", 0, PackRk(tfByte, "-5", len), 0);
  SetValue(&list, &rec, "F5", 0, PackRk(tfDword, "-7", len), 0);
  SetValue(&list, &rec, "F6", 0, PackRk(tfDouble, "1234,5", len), 0);
  SetValue(&list, &rec, "F7", 0, PackRk(tfDate, "15.03.2009", len), 0);
  SetValue(&list, &rec, "F8", 0, "\x01\x02\x03\x04", 0);
  SetValue(&list, &rec, "F9", 0, "Ж", 0);
  EXPECT_EQ(Value(list, "F4", rec), "-5");
  EXPECT_EQ(Value(list, "F5", rec), "-7");
  EXPECT_EQ(Value(list, "F6", rec), "1234,5");
  EXPECT_EQ(Value(list, "F7", rec), "15.03.2009");
  EXPECT_EQ(Value(list, "F8", rec), ""); // type 11 is never converted
  EXPECT_EQ(Value(list, "F9", rec), "Ж");
  // By index, and an unknown name.
  int index = 3;
  bool found = false;
  EXPECT_EQ(GetValueUnPack(&list, "", index, &rec, found, false), "-5");
  EXPECT_TRUE(found);
  EXPECT_EQ(GetValueUnPack(&list, "Nope", index, &rec, found, false), "");
  EXPECT_FALSE(found);
}

TEST(GetValueUnPack, MultiLanguageTextsFollowTheDocumentLanguage) {
  auto saved = Cfg;
  TListFields list = Fields({1});
  WRec rec;
  CreatEmptyRec(&list, &rec, 0);
  std::string text = "\x04Дом\x05Будинок";
  SetValue(&list, &rec, "F1", static_cast<int>(text.size()), text.data(), 0);
  Cfg[CfgDocRussian] = 0;
  EXPECT_EQ(Value(list, "F1", rec), "Будинок");
  Cfg[CfgDocRussian] = 1;
  EXPECT_EQ(Value(list, "F1", rec), "Дом");
  Cfg = saved;
}

TEST(SetValue, GrowingTheFirstOfThreeFieldsShiftsTheOthers) {
  TListFields list = Fields({1, 6, 3});
  WRec rec;
  CreatEmptyRec(&list, &rec, 0);
  int len;
  SetValue(&list, &rec, "F2", 0, PackRk(tfWord, "513", len), 0);
  SetValue(&list, &rec, "F3", 2, "xy", 0);
  EXPECT_EQ(rec.Len, 8);
  SetValue(&list, &rec, "F1", 5, "hello", 0);
  EXPECT_EQ(rec.Len, 13);
  EXPECT_EQ(list[1].FOffset, 7);
  EXPECT_EQ(list[2].FOffset, 11);
  EXPECT_EQ(Bytes(rec), std::string("\x05\x00hello\x01\x02\x02\x81xy", 13));
  // Shrinking moves them back.
  SetValue(&list, &rec, "", 1, "h", 0);
  EXPECT_EQ(Bytes(rec), std::string("\x01\x00h\x01\x02\x02\x81xy", 9));
  // A fresh walk over the record finds the same fields.
  TListFields again = Fields({1, 6, 3});
  CreatStructRecord(&again, &rec);
  EXPECT_EQ(Value(again, "F2", rec), "513");
  EXPECT_EQ(Value(again, "F3", rec), "xy");
}

TEST(SetValue, ShortPrefixesRewriteTheLengthByte) {
  TListFields list = Fields({2, 3});
  WRec rec;
  CreatEmptyRec(&list, &rec, 0);
  SetValue(&list, &rec, "F1", 3, "abc", 0);
  SetValue(&list, &rec, "F2", 2, "de", 0);
  EXPECT_EQ(Bytes(rec), std::string("\x03\x82"
                                    "abc"
                                    "\x02\x81"
                                    "de",
                                    9));
  std::string big(300, 'x');
  EXPECT_THROW(SetValue(&list, &rec, "F1", 300, big.data(), 0), ZError);
  EXPECT_EQ(rec.Len, 9); // refused: the record is unchanged
}

TEST(SetValue, UnknownFieldsAndOverflowLeaveTheRecordUnchanged) {
  TListFields list = Fields({1, 5});
  WRec rec(40);
  CreatEmptyRec(&list, &rec, 0);
  try {
    SetValue(&list, &rec, "Zz", 1, "a", 0);
    FAIL();
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number, 0);
    EXPECT_EQ(e.Text, "Реквизит Zz отсутствует в списке описаний");
  }
  try {
    SetValue(&list, &rec, "", 1, "a", 2);
    FAIL();
  } catch (const ZError& e) {
    EXPECT_EQ(e.Text, "Номер реквизита 2 отсутствует в списке описаний");
  }
  std::string big(50, 'x');
  EXPECT_THROW(SetValue(&list, &rec, "F1", 50, big.data(), 0), ZError);
  EXPECT_EQ(Bytes(rec), std::string(3, '\0'));
  EXPECT_EQ(list[1].FOffset, 2);
}

TEST(PackRk, TextsToPackedBytes) {
  int len = -1;
  EXPECT_EQ(std::string(PackRk(tfString, "abc", len), 3), "abc");
  EXPECT_EQ(len, 3);
  EXPECT_EQ(std::string(PackRk(tfChar, "", len), 1), std::string(1, '\0'));
  EXPECT_EQ(std::string(PackRk(tfWord, "", len), 2), std::string(2, '\0'));
  EXPECT_EQ(std::string(PackRk(tfWord, "258", len), 2), "\x02\x01");
  EXPECT_EQ(std::string(PackRk(tfInt, "-2", len), 4), "\xFE\xFF\xFF\xFF");
  EXPECT_EQ(std::string(PackRk(tfDword11, "77", len), 4), std::string(4, '\0'));
  double d;
  std::memcpy(&d, PackRk(tfDouble, "1,25", len), 8);
  EXPECT_EQ(len, 8);
  EXPECT_DOUBLE_EQ(d, 1.25);
  EXPECT_THROW(PackRk(tfInt, "12ab", len), ZError);
  EXPECT_THROW(PackRk(tfDouble, "1.25", len), ZError);
}

TEST(RecImage, UnpackAndPackBackToBack) {
  TListFields list = Fields({7, 5, 1, 6, 3, 9, 10, 2, 13});
  EXPECT_EQ(ImageSize(list), 4 + 1 + 4 + 2 + 4 + 8 + 2 + 4);
  WRec rec;
  CreatEmptyRec(&list, &rec, 0);
  int len;
  SetValue(&list, &rec, "F1", 0, PackRk(tfDword, "-3", len), 0);
  SetValue(&list, &rec, "F2", 0, PackRk(tfByte, "2", len), 0);
  SetValue(&list, &rec, "F3", 5, "first", 0);
  SetValue(&list, &rec, "F4", 0, PackRk(tfWord, "7", len), 0);
  SetValue(&list, &rec, "F5", 2, "sh", 0);
  SetValue(&list, &rec, "F6", 0, PackRk(tfDouble, "2,5", len), 0);
  SetValue(&list, &rec, "F7", 0, PackRk(tfDate, "15.03.2009", len), 0);
  SetValue(&list, &rec, "F8", 3, "two", 0);
  std::string packed = Bytes(rec);

  TRecImage image;
  RecStruct(&list, &rec, image);
  ASSERT_EQ(image.Size(), ImageSize(list));
  EXPECT_EQ(image.Get<int32_t>(0), -3);
  EXPECT_EQ(image.Get<int8_t>(4), 2);
  EXPECT_EQ(image.GetText(5), "first");
  EXPECT_EQ(image.Get<uint16_t>(9), 7);
  EXPECT_EQ(image.GetText(11), "sh");
  EXPECT_DOUBLE_EQ(image.Get<double>(15), 2.5);
  EXPECT_EQ(image.Get<uint16_t>(23), 4719);
  EXPECT_EQ(image.GetText(25), "two");

  WRec back;
  EXPECT_EQ(StructRec(&list, image, &back, 3), static_cast<int>(packed.size()));
  EXPECT_EQ(Bytes(back), packed);
  EXPECT_EQ(back.Prefix, 3);

  // Changing the image and packing again; the data form unpacks the same.
  image.SetText(5, "longer text");
  image.Set<int32_t>(0, 99);
  char data[200];
  int n = StructRec(&list, image, data);
  TRecImage again;
  RecStruct(&list, data, again);
  EXPECT_EQ(again.GetText(5), "longer text");
  EXPECT_EQ(again.Get<int32_t>(0), 99);
  EXPECT_EQ(n, static_cast<int>(packed.size()) + 6);
  EXPECT_THROW(image.Get<double>(ImageSize(list) - 4), ZError);
}

TEST(RecImage, ShortTextsAreLimitedAndOversizedRecordsRefused) {
  TListFields list = Fields({3, 1});
  TRecImage image(ImageSize(list));
  image.SetText(0, std::string(300, 'a'));
  image.SetText(4, std::string(100, 'b'));
  char data[512];
  EXPECT_EQ(StructRec(&list, image, data), 2 + 255 + 2 + 100);
  EXPECT_EQ(static_cast<unsigned char>(data[0]), 255);
  EXPECT_EQ(static_cast<unsigned char>(data[1]), 0x81);
  WRec small(64);
  small.Len = 1;
  EXPECT_THROW(StructRec(&list, image, &small, 0), ZError);
  EXPECT_EQ(small.Len, 1);
}

TEST(RecImage, ListRecordLayoutOfAProject) {
  // A structure laid out like a project's list record: number, kind, flags, then fields up to a
  // variant text 75 bytes in, and 2,718 bytes in all.
  std::vector<int> types = {7, 5, 7};
  for (int i = 0; i < 8; ++i)
    types.push_back(9);
  types.push_back(6);
  types.push_back(1); // at 75
  for (int i = 0; i < 329; ++i)
    types.push_back(9);
  types.insert(types.end(), {8, 6, 5});
  TListFields list = Fields(types);
  EXPECT_EQ(ImageSize(list), 2718);
  WRec rec;
  CreatEmptyRec(&list, &rec, 0);
  SetValue(&list, &rec, "F13", 1, "A", 0);
  TRecImage image;
  RecStruct(&list, &rec, image);
  EXPECT_EQ(image.GetText(75), "A");
}

// A suite with a few structures, read through the alias CFG.
class SuiteStructures : public ::testing::Test {
protected:
  void SetUp() override {
    TSuiteBuilder(Root.Path())
        .Structure(3, {{"Num", 7}, {"Name", 1}, {"Sum", 9}})
        .Structure(5, {{"Date", 10}})
        .Write();
    Saved = std::filesystem::current_path().string();
    std::filesystem::current_path(Root.Path());
    InitPath(true);
  }
  void TearDown() override {
    DeInitPath();
    std::filesystem::current_path(Saved);
  }
  TTempDir Root;
  std::string Saved;
};

TEST_F(SuiteStructures, CreatDefRecordReadsNamesAndTypes) {
  TListFields list;
  WRec rec;
  CreatDefRecord(3, &list, &rec);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].FName, "Num");
  EXPECT_EQ(list[0].FType, tfDword);
  EXPECT_EQ(list[1].FName, "Name");
  EXPECT_EQ(list[1].FType, tfString);
  EXPECT_EQ(list[2].FType, tfDouble);
  CreatDefRecord(4, &list, &rec); // an empty group adds nothing
  EXPECT_EQ(list.size(), 3u);
  EXPECT_THROW(CreatDefRecord(9, &list, &rec), ZError); // no such group

  // With the file held open in Boib, that file is used.
  Boib = new WFile("CFG#Boib.sfr");
  TListFields dates;
  CreatDefRecord(5, &dates, &rec);
  delete Boib;
  Boib = nullptr;
  ASSERT_EQ(dates.size(), 1u);
  EXPECT_EQ(dates[0].FType, tfDate);

  auto* owned = new TListFields(list);
  DeleteListFields(owned, false);
  ASSERT_NE(owned, nullptr);
  EXPECT_TRUE(owned->empty());
  DeleteListFields(owned, true);
  EXPECT_EQ(owned, nullptr);
}
} // namespace
