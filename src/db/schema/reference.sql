CREATE TABLE "PostCode" (
  "RecID" INTEGER PRIMARY KEY,
  "PKod"  TEXT NOT NULL,
  "Tawn"  TEXT,
  "Obsh"  TEXT,
  "Obl"   TEXT,
  "ZK"    TEXT,
  "ZdRn"  TEXT
) STRICT;
CREATE INDEX "PostCode_PKod" ON "PostCode" ("PKod");

CREATE TABLE "Mater" (
  "RecID" INTEGER PRIMARY KEY,
  "Kod"   TEXT,
  "Name"  TEXT,
  "Kol"   REAL,
  "Ed"    TEXT
) STRICT;

CREATE TABLE "RazhNorm" (
  "RecID"   INTEGER PRIMARY KEY,
  "KodHelp" TEXT NOT NULL,
  "1M" REAL, "2M" REAL, "3M" REAL, "4M" REAL, "5M" REAL, "6M" REAL, "7M" REAL, "8M" REAL
) STRICT;
CREATE INDEX "RazhNorm_KodHelp" ON "RazhNorm" ("KodHelp");
