-- A small patient export of the fund: the five tables, read by the import
-- both as an SQLite temp.mdb and, through tests/tools/make_jet3.py, as the
-- Jet file fund_export.mdb. Names of tables and fields vary in case on
-- purpose; so do the settlement keys.
CREATE TABLE "Patients" (
  "ID"        INTEGER,
  "IDNUMBER"  TEXT,
  "NAME1"     TEXT,
  "NAME2"     TEXT,
  "NAME3"     TEXT,
  "POL"       SMALLINT,
  "BIRTHDATE" DATETIME,
  "DATEREG"   DATETIME,
  "HIMNUMBER" TEXT,
  "RECBOOK"   TEXT
);
INSERT INTO "Patients" VALUES (1, '8503051241', 'Иван', 'Петров', ' Иванов ', 0, '1985-03-05', '2009-03-05', '12345678', ' 0012 ');
INSERT INTO "Patients" VALUES (2, '9001010036', 'Мария', NULL, '   ', 1, '1990-01-01', '2010-11-20', NULL, NULL);
INSERT INTO "Patients" VALUES (3, '7606153315', 'Елена', '  ', 'Георгиева', NULL, '1976-06-15', '2011-02-01', '  ', 'Р-77');
INSERT INTO "Patients" VALUES (4, '6712240180', 'Георги', 'Димитров', NULL, 0, '1967-12-24', '2008-01-10', NULL, NULL);
INSERT INTO "Patients" VALUES (5, NULL, 'Без', 'Номер', NULL, 0, '1970-01-01', '2009-01-01', NULL, NULL);
INSERT INTO "Patients" VALUES (6, '9102285514', NULL, 'Безименен', NULL, 1, '1991-02-28', '2009-01-01', NULL, NULL);
INSERT INTO "Patients" VALUES (7, '8811116640', 'Тодор', NULL, NULL, 0, 'няма', '2009-01-01', NULL, NULL);
INSERT INTO "Patients" VALUES (8, '7205057797', 'Радка', NULL, NULL, 1, '1972-05-05', NULL, NULL, NULL);
INSERT INTO "Patients" VALUES (9, '8008088800', 'Стоян', 'Колев', NULL, 0, '1980-08-08', '2012-12-31', NULL, NULL);
INSERT INTO "Patients" VALUES (10, '5504121121', 'Петко', 'Славов', NULL, 0, '1955-04-12', '2013-07-01', NULL, NULL);
INSERT INTO "Patients" VALUES (11, '8503051241', 'Иван', 'Повторен', NULL, 0, '1985-03-05', '2009-03-05', NULL, NULL);

CREATE TABLE "address" (
  "idnumber"   TEXT,
  "POSTCODE"   TEXT,
  "STREET1"    TEXT,
  "STREET2"    TEXT,
  "NOMSTRT"    TEXT,
  "NOMBLOK"    TEXT,
  "VHOD"       TEXT,
  "ETAG"       TEXT,
  "APART"      TEXT,
  "TOWNVILLAG" TEXT,
  "TELEFON"    TEXT,
  "FAX"        TEXT
);
INSERT INTO "address" VALUES ('8503051241', '1000', 'Витоша', '', ' 12 ', NULL, ' ', '3', NULL, '68134', '02 9876543', '02 9876544');
INSERT INTO "address" VALUES ('9001010036', '4000', 'ул. Иван Вазов', 'ж.к. Младост 1', NULL, '25', 'А', NULL, '7', '56784', NULL, NULL);
INSERT INTO "address" VALUES ('7606153315', '1444', 'ул. Шипка 5', NULL, NULL, NULL, NULL, NULL, NULL, 'v0001', NULL, NULL);
INSERT INTO "address" VALUES ('6712240180', '1000', 'ул. Раковски', NULL, '1', NULL, NULL, NULL, NULL, '68134', NULL, NULL);
INSERT INTO "address" VALUES ('8503051241', '9000', 'Втори адрес', NULL, NULL, NULL, NULL, NULL, NULL, '10135', NULL, NULL);
INSERT INTO "address" VALUES ('5504121121', '2700', 'ул. Рила 3', NULL, NULL, NULL, NULL, NULL, NULL, '99999', '073 12345', NULL);

CREATE TABLE "eknm" (
  "TOWNVILLAG" TEXT,
  "DISTRICTCO" TEXT,
  "HRCODE"     TEXT,
  "Kind"       TEXT,
  "TOWNVILLA2" TEXT,
  "MUNICIPALI" TEXT
);
INSERT INTO "eknm" VALUES ('68134', '22', '01', 'гр.', 'София', 'SOF46');
INSERT INTO "eknm" VALUES ('56784', '16', '04', '  ', 'Пловдив', 'PDV22');
INSERT INTO "eknm" VALUES ('V0001', '23', '02', 'с.', 'Бистрица', 'sof46');
INSERT INTO "eknm" VALUES ('10135', '03', '09', 'гр.', 'Варна', 'VAR06');
INSERT INTO "eknm" VALUES ('68134', '99', '99', 'с.', 'Друго', 'XXX00');

CREATE TABLE "s_code" ("CODE" TEXT, "NAME" TEXT);
INSERT INTO "s_code" VALUES ('SOF46', 'Столична');
INSERT INTO "s_code" VALUES ('PDV22', '  ');
INSERT INTO "s_code" VALUES ('VAR06', 'Варна');

CREATE TABLE "st_code" ("type" TEXT, "NAME" TEXT);
INSERT INTO "st_code" VALUES ('22', 'София-град');
INSERT INTO "st_code" VALUES ('16', 'Пловдив');
INSERT INTO "st_code" VALUES ('23', ' ');
INSERT INTO "st_code" VALUES ('03', 'Варна');
