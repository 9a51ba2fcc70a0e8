CREATE TABLE "Medic" (
  "RecID"    INTEGER PRIMARY KEY,
  "Names"    TEXT NOT NULL,
  "EGN"      TEXT,
  "KodMedic" TEXT NOT NULL,
  "Password" TEXT
) STRICT;

CREATE TABLE "MedicUnit" (
  "RecID"         INTEGER PRIMARY KEY,
  "UserID"        TEXT,  "UserType"     TEXT,  "UserName"    TEXT,  "UserSIMP"     TEXT,
  "UserCap"       TEXT,  "UserObMiniCap" TEXT, "UserCityID"  TEXT,  "UserCity"     TEXT,
  "UserUl"        TEXT,  "UserUlID"     TEXT,  "UserKs"      TEXT,  "UserBl"       TEXT,
  "UserVx"        TEXT,  "UserEt"       TEXT,  "UserAp"      TEXT,
  "UserBank"      TEXT,  "UserBIC"      TEXT,  "UserIBAN"    TEXT,  "UserBULSTAT"  TEXT,
  "UserContract"  TEXT,  "UserMOL"      TEXT,  "UserEGN"     TEXT,  "UserUIN"      TEXT,
  "UserCountry"   TEXT,  "UserTel"      TEXT,  "UserGSM"     TEXT,  "UserEmail"    TEXT,
  "UserURL"       TEXT
) STRICT;

CREATE TABLE "Pacients" (
  "RecID"   INTEGER PRIMARY KEY,
  "EGN"     TEXT NOT NULL UNIQUE,
  "Names"   TEXT,
  "LKod"    TEXT,
  "IDName"  INTEGER,
  "DataB"   TEXT,
  "DataR"   TEXT,
  "Pol"     TEXT,
  "ZBook"   TEXT,
  "RBook"   TEXT,
  "PKod"    TEXT,
  "Tawn"    TEXT,
  "Obsh"    TEXT,
  "Obl"     TEXT,
  "KV"      TEXT,
  "UL"      TEXT,
  "BL"      TEXT,
  "VX"      TEXT,
  "ET"      TEXT,
  "AP"      TEXT,
  "DTel"    TEXT,
  "STel"    TEXT,
  "MTel"    TEXT,
  "Prof"    TEXT,
  "Work"    TEXT,
  "Country" TEXT,
  "Type"    TEXT,
  "RZOK"    TEXT,
  "ZR"      TEXT,
  "KrGr"    TEXT,
  "Ph"      TEXT,
  "Nep"     TEXT,
  "Osob"    TEXT,
  "ZabNaw"  TEXT,
  "ZabOld"  TEXT,
  "TKod"    TEXT,
  "Fax"     TEXT,
  "Adres"   TEXT
) STRICT;
CREATE INDEX "Pacients_LKod" ON "Pacients" ("LKod");

CREATE TABLE "Dental" (
  "RecID" INTEGER PRIMARY KEY,
  "EGN"   TEXT NOT NULL UNIQUE,
  "Z1"  TEXT, "Z2"  TEXT, "Z3"  TEXT, "Z4"  TEXT, "Z5"  TEXT,
  "Z6"  TEXT, "Z7"  TEXT, "Z8"  TEXT, "Z9"  TEXT, "Z10" TEXT,
  "Z11" TEXT, "Z12" TEXT, "Z13" TEXT, "Z14" TEXT, "Z15" TEXT,
  "Z16" TEXT, "Z17" TEXT, "Z18" TEXT, "Z19" TEXT, "Z20" TEXT,
  "Z21" TEXT, "Z22" TEXT, "Z23" TEXT, "Z24" TEXT,
  "Z25" TEXT, "Z26" TEXT, "Z27" TEXT, "Z28" TEXT,
  "Z29" TEXT, "Z30" TEXT, "Z31" TEXT, "Z32" TEXT,
  "Z33" TEXT, "Z34" TEXT, "Z35" TEXT, "Z36" TEXT,
  "Z37" TEXT, "Z38" TEXT, "Z39" TEXT, "Z40" TEXT,
  "Z41" TEXT, "Z42" TEXT, "Z43" TEXT, "Z44" TEXT,
  "Z45" TEXT, "Z46" TEXT, "Z47" TEXT, "Z48" TEXT,
  "Z49" TEXT, "Z50" TEXT, "Z51" TEXT, "Z52" TEXT
) STRICT;

CREATE TABLE "Help" (
  "RecID"    INTEGER PRIMARY KEY,
  "EGN"      TEXT,
  "Data"     TEXT
             CHECK ("Data" IS NULL OR "Data" IS date("Data", '+0 days')),
  "KodHelp"  TEXT,
  "Help"     TEXT,
  "TextHelp" TEXT,
  "KodZab"   TEXT,
  "Vid"      TEXT,
  "ZK"       INTEGER NOT NULL DEFAULT 0 CHECK ("ZK"    IN (0, 1)),
  "Schet"    INTEGER NOT NULL DEFAULT 0 CHECK ("Schet" IN (0, 1)),
  "ListID"   TEXT,
  "Cena"     REAL,
  "Times"    INTEGER,
  "KodMedic" TEXT
) STRICT;
CREATE INDEX "Help_EGN_Data_KodHelp" ON "Help" ("EGN", "Data", "KodHelp");
CREATE INDEX "Help_KodMedic_Data_ListID" ON "Help" ("KodMedic", "Data", "ListID");
CREATE INDEX "Help_Data"             ON "Help" ("Data");

CREATE TABLE "CenyZK" (
  "RecID"   INTEGER PRIMARY KEY,
  "Kod"     TEXT NOT NULL UNIQUE,
  "Times"   INTEGER,
  "CenaNad" REAL,
  "CenaDo"  REAL
) STRICT;

CREATE TABLE "TempKarton" (
  "RecID"    INTEGER PRIMARY KEY,
  "Data"     TEXT CHECK ("Data" IS NULL OR "Data" IS date("Data", '+0 days')),
  "Help"     TEXT,
  "KodHelp"  TEXT,
  "TextHelp" TEXT,
  "KodZab"   TEXT
) STRICT;

CREATE TABLE "Path" (
  "RecID"  INTEGER PRIMARY KEY,
  "EGN"    TEXT,
  "ListID" TEXT,
  "Data"   TEXT CHECK ("Data" IS NULL OR "Data" IS date("Data", '+0 days')),
  "Nomer"  TEXT,
  "SIMP"   TEXT,
  "BCD"    TEXT
) STRICT;
CREATE INDEX "Path_EGN_ListID" ON "Path" ("EGN", "ListID");

CREATE TABLE "Invest" (
  "RecID"  INTEGER PRIMARY KEY,
  "EGN"    TEXT,
  "ListID" TEXT,
  "Data"   TEXT CHECK ("Data" IS NULL OR "Data" IS date("Data", '+0 days')),
  "Nomer"  TEXT,
  "Kod1"   TEXT,
  "Kod2"   TEXT
) STRICT;
CREATE INDEX "Invest_EGN_ListID" ON "Invest" ("EGN", "ListID");

CREATE TABLE "Spec" (
  "RecID"  INTEGER PRIMARY KEY,
  "EGN"    TEXT,
  "ListID" TEXT,
  "Data"   TEXT CHECK ("Data" IS NULL OR "Data" IS date("Data", '+0 days')),
  "SISP1"  TEXT,
  "SISP2"  TEXT
) STRICT;
CREATE INDEX "Spec_EGN_ListID" ON "Spec" ("EGN", "ListID");

CREATE TABLE "Grafic" (
  "RecID"    INTEGER PRIMARY KEY,
  "KodMedic" TEXT NOT NULL,
  "Data"     TEXT CHECK ("Data" IS NULL OR "Data" IS date("Data", '+0 days')),
  "Ch0"  TEXT, "Ch1"  TEXT, "Ch2"  TEXT, "Ch3"  TEXT, "Ch4"  TEXT, "Ch5"  TEXT, "Ch6"  TEXT,
  "Ch7"  TEXT, "Ch8"  TEXT, "Ch9"  TEXT, "Ch10" TEXT, "Ch11" TEXT, "Ch12" TEXT,
  "Ch13" TEXT, "Ch14" TEXT, "Ch15" TEXT, "Ch16" TEXT, "Ch17" TEXT, "Ch18" TEXT, "Ch19" TEXT,
  "Ch20" TEXT, "Ch21" TEXT, "Ch22" TEXT, "Ch23" TEXT, "Ch24" TEXT, "Ch25" TEXT
) STRICT;
CREATE INDEX "Grafic_KodMedic_Data" ON "Grafic" ("KodMedic", "Data");

CREATE TABLE "Ceny" (
  "RecID"    INTEGER PRIMARY KEY,
  "KodHelp"  TEXT,
  "TextHelp" TEXT,
  "CenaHelp" REAL,
  "FullHelp" TEXT
) STRICT;
CREATE INDEX "Ceny_KodHelp" ON "Ceny" ("KodHelp");
