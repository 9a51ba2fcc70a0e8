-- The practice row, entered through the practice data window.
INSERT INTO "MedicUnit" ("RecID") VALUES (1);
-- The fund's minutes and prices: over 18 (CenaNad), up to 18 (CenaDo).
INSERT INTO "CenyZK" ("Kod", "Times", "CenaNad", "CenaDo") VALUES ('101', 15, 6.44, 6.44);
INSERT INTO "CenyZK" ("Kod", "Times", "CenaNad", "CenaDo") VALUES ('301', 26, 21.13, 25.13);
INSERT INTO "CenyZK" ("Kod", "Times", "CenaNad", "CenaDo") VALUES ('332', 39, 0, 21.92);
INSERT INTO "CenyZK" ("Kod", "Times", "CenaNad", "CenaDo") VALUES ('333', 141, 0, 68.93);
INSERT INTO "CenyZK" ("Kod", "Times", "CenaNad", "CenaDo") VALUES ('508', 17, 0, 11.98);
INSERT INTO "CenyZK" ("Kod", "Times", "CenaNad", "CenaDo") VALUES ('509', 22, 21.13, 25.13);
