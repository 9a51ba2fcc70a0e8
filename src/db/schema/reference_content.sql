-- Materials; the position (RecID) names the norm column "<i>M".
INSERT INTO "Mater" ("RecID", "Kod", "Name", "Kol", "Ed") VALUES (1, '001', 'Амалгама', 0, 'гр');
INSERT INTO "Mater" ("RecID", "Kod", "Name", "Kol", "Ed") VALUES (2, '002', 'Химичен композит', 0, 'гр');
INSERT INTO "Mater" ("RecID", "Kod", "Name", "Kol", "Ed") VALUES (3, '003', 'Фосфатцимент', 0, 'гр');
INSERT INTO "Mater" ("RecID", "Kod", "Name", "Kol", "Ed") VALUES (4, '004', 'Анестетик (карпула)', 0, 'бр');
INSERT INTO "Mater" ("RecID", "Kod", "Name", "Kol", "Ed") VALUES (5, '005', 'Игла за карпула', 0, 'бр');
INSERT INTO "Mater" ("RecID", "Kod", "Name", "Kol", "Ed") VALUES (6, '006', 'Девитализираща паста', 0, 'гр');
INSERT INTO "Mater" ("RecID", "Kod", "Name", "Kol", "Ed") VALUES (7, '007', 'Кореново пълнило', 0, 'гр');
INSERT INTO "Mater" ("RecID", "Kod", "Name", "Kol", "Ed") VALUES (8, '008', 'Ръкавици', 0, 'чфт');
-- Consumption per activity.
INSERT INTO "RazhNorm" ("KodHelp", "1M", "2M", "3M", "4M", "5M", "6M", "7M", "8M") VALUES ('101', 0, 0, 0, 0, 0, 0, 0, 1);
INSERT INTO "RazhNorm" ("KodHelp", "1M", "2M", "3M", "4M", "5M", "6M", "7M", "8M") VALUES ('103', 0, 0, 0, 0, 0, 0, 0, 1);
INSERT INTO "RazhNorm" ("KodHelp", "1M", "2M", "3M", "4M", "5M", "6M", "7M", "8M") VALUES ('301', 0, 0, 0.3, 0, 0, 0, 0, 1);
INSERT INTO "RazhNorm" ("KodHelp", "1M", "2M", "3M", "4M", "5M", "6M", "7M", "8M") VALUES ('301А', 0.6, 0, 0.3, 0, 0, 0, 0, 1);
INSERT INTO "RazhNorm" ("KodHelp", "1M", "2M", "3M", "4M", "5M", "6M", "7M", "8M") VALUES ('301Б', 0, 0.4, 0.3, 0, 0, 0, 0, 1);
INSERT INTO "RazhNorm" ("KodHelp", "1M", "2M", "3M", "4M", "5M", "6M", "7M", "8M") VALUES ('332', 0, 0, 0.2, 1, 1, 0.1, 0, 1);
INSERT INTO "RazhNorm" ("KodHelp", "1M", "2M", "3M", "4M", "5M", "6M", "7M", "8M") VALUES ('333', 0, 0, 0.3, 1, 1, 0, 0.2, 1);
INSERT INTO "RazhNorm" ("KodHelp", "1M", "2M", "3M", "4M", "5M", "6M", "7M", "8M") VALUES ('508', 0, 0, 0, 1, 1, 0, 0, 1);
INSERT INTO "RazhNorm" ("KodHelp", "1M", "2M", "3M", "4M", "5M", "6M", "7M", "8M") VALUES ('509', 0, 0, 0, 1, 1, 0, 0, 1);
