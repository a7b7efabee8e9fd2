-- The demo database of the samples: a small firm's customers, products,
-- invoices with their rows and the quarterly sales by region.
-- `vxtool samples -o DIR` runs this script into DIR/demo.sqlite.
-- Every table is read ordered by its first column, so customers are
-- numbered province by province (the customer list groups by province).

CREATE TABLE clienti (
  id        INTEGER PRIMARY KEY,
  codice    VARCHAR(8),
  nome      VARCHAR(40),
  indirizzo VARCHAR(40),
  cap       VARCHAR(5),
  citta     VARCHAR(30),
  provincia VARCHAR(2),
  fido      NUMERIC(10,2)
);

INSERT INTO clienti VALUES (1, 'CL0001', 'Niccolò Bellù', 'Via Garibaldi 12', '20121', 'Milano', 'MI', 5000.00);
INSERT INTO clienti VALUES (2, 'CL0002', 'Lucia Ferrè', 'Corso Buenos Aires 3', '20124', 'Milano', 'MI', 3500.00);
INSERT INTO clienti VALUES (3, 'CL0003', 'Ottica Cantù S.r.l.', 'Piazza Garibaldi 1', '22063', 'Cantù', 'CO', 12000.00);
INSERT INTO clienti VALUES (4, 'CL0004', 'Mattia Sebastiani', 'Via dell''Orso 9', '00186', 'Roma', 'RM', 2500.00);
INSERT INTO clienti VALUES (5, 'CL0005', 'Caffè Città Eterna', 'Via del Corso 101', '00186', 'Roma', 'RM', 8000.00);
INSERT INTO clienti VALUES (6, 'CL0006', 'Giulia D''Amico', 'Lungotevere Mellini 4', '00193', 'Roma', 'RM', 1500.00);
INSERT INTO clienti VALUES (7, 'CL0007', 'Pasticceria Forlì', 'Corso della Repubblica 44', '47121', 'Forlì', 'FC', 6000.00);
INSERT INTO clienti VALUES (8, 'CL0008', 'Andrea Nardò', 'Via Roma 7', '73048', 'Nardò', 'LE', 2000.00);
INSERT INTO clienti VALUES (9, 'CL0009', 'Società Agricola Sant''Agata', 'Contrada Pozzillo', '95030', 'Sant''Agata li Battiati', 'CT', 9500.00);
INSERT INTO clienti VALUES (10, 'CL0010', 'Zoë Martinelli', 'Via Università 18', '95131', 'Catania', 'CT', 3000.00);

CREATE TABLE prodotti (
  id          INTEGER PRIMARY KEY,
  codice      VARCHAR(10),
  descrizione VARCHAR(40),
  prezzo      NUMERIC(10,2)
);

INSERT INTO prodotti VALUES (1, 'CAF-250', 'Caffè in grani, 250 g', 6.90);
INSERT INTO prodotti VALUES (2, 'CAF-1000', 'Caffè in grani, 1 kg', 24.50);
INSERT INTO prodotti VALUES (3, 'TAZ-6', 'Tazzine da espresso, sei pezzi', 18.00);
INSERT INTO prodotti VALUES (4, 'MOK-3', 'Caffettiera per tre tazze', 29.90);
INSERT INTO prodotti VALUES (5, 'ZUC-500', 'Zucchero di canna, 500 g', 2.40);
INSERT INTO prodotti VALUES (6, 'BIS-300', 'Biscotti al cioccolato, 300 g', 4.75);

-- An invoice belongs to a customer; its rows repeat the product's
-- description and price as they were on the day of the sale.
CREATE TABLE fatture (
  id      INTEGER PRIMARY KEY,
  numero  VARCHAR(10),
  data    VARCHAR(10),
  cliente INTEGER REFERENCES clienti(id)
);

INSERT INTO fatture VALUES (1, '2026/001', '08/01/2026', 5);
INSERT INTO fatture VALUES (2, '2026/002', '15/01/2026', 1);
INSERT INTO fatture VALUES (3, '2026/003', '03/02/2026', 9);
INSERT INTO fatture VALUES (4, '2026/004', '20/02/2026', 3);

CREATE TABLE righe (
  id          INTEGER PRIMARY KEY,
  fattura     INTEGER REFERENCES fatture(id),
  prodotto    INTEGER REFERENCES prodotti(id),
  descrizione VARCHAR(40),
  quantita    INTEGER,
  prezzo      NUMERIC(10,2)
);

INSERT INTO righe VALUES (1, 1, 2, 'Caffè in grani, 1 kg', 12, 24.50);
INSERT INTO righe VALUES (2, 1, 3, 'Tazzine da espresso, sei pezzi', 4, 18.00);
INSERT INTO righe VALUES (3, 1, 5, 'Zucchero di canna, 500 g', 20, 2.40);
INSERT INTO righe VALUES (4, 2, 1, 'Caffè in grani, 250 g', 2, 6.90);
INSERT INTO righe VALUES (5, 2, 4, 'Caffettiera per tre tazze', 1, 29.90);
INSERT INTO righe VALUES (6, 3, 2, 'Caffè in grani, 1 kg', 30, 24.50);
INSERT INTO righe VALUES (7, 3, 6, 'Biscotti al cioccolato, 300 g', 48, 4.75);
INSERT INTO righe VALUES (8, 3, 5, 'Zucchero di canna, 500 g', 40, 2.40);
INSERT INTO righe VALUES (9, 3, 3, 'Tazzine da espresso, sei pezzi', 10, 18.00);
INSERT INTO righe VALUES (10, 4, 4, 'Caffettiera per tre tazze', 6, 29.90);
INSERT INTO righe VALUES (11, 4, 1, 'Caffè in grani, 250 g', 24, 6.90);

-- Sales by region and quarter, in euro.
CREATE TABLE vendite (
  id        INTEGER PRIMARY KEY,
  anno      INTEGER,
  trimestre VARCHAR(2),
  regione   VARCHAR(30),
  importo   NUMERIC(10,2)
);

INSERT INTO vendite VALUES (1, 2025, 'T1', 'Lombardia', 18250.00);
INSERT INTO vendite VALUES (2, 2025, 'T1', 'Lazio', 12400.50);
INSERT INTO vendite VALUES (3, 2025, 'T1', 'Emilia-Romagna', 7320.00);
INSERT INTO vendite VALUES (4, 2025, 'T1', 'Puglia', 3110.25);
INSERT INTO vendite VALUES (5, 2025, 'T1', 'Sicilia', 5480.00);
INSERT INTO vendite VALUES (6, 2025, 'T2', 'Lombardia', 20110.00);
INSERT INTO vendite VALUES (7, 2025, 'T2', 'Lazio', 11875.75);
INSERT INTO vendite VALUES (8, 2025, 'T2', 'Emilia-Romagna', 8045.00);
INSERT INTO vendite VALUES (9, 2025, 'T2', 'Puglia', 4290.00);
INSERT INTO vendite VALUES (10, 2025, 'T2', 'Sicilia', 6010.40);
INSERT INTO vendite VALUES (11, 2025, 'T3', 'Lombardia', 15600.00);
INSERT INTO vendite VALUES (12, 2025, 'T3', 'Lazio', 9980.00);
INSERT INTO vendite VALUES (13, 2025, 'T3', 'Emilia-Romagna', 9120.60);
INSERT INTO vendite VALUES (14, 2025, 'T3', 'Puglia', 7750.00);
INSERT INTO vendite VALUES (15, 2025, 'T3', 'Sicilia', 8840.00);
INSERT INTO vendite VALUES (16, 2025, 'T4', 'Lombardia', 24300.00);
INSERT INTO vendite VALUES (17, 2025, 'T4', 'Lazio', 14520.00);
INSERT INTO vendite VALUES (18, 2025, 'T4', 'Emilia-Romagna', 10015.30);
INSERT INTO vendite VALUES (19, 2025, 'T4', 'Puglia', 3980.00);
INSERT INTO vendite VALUES (20, 2025, 'T4', 'Sicilia', 6200.00);

-- The regions of the sales, the rows of the quarterly table.
CREATE TABLE regioni (
  id   INTEGER PRIMARY KEY,
  nome VARCHAR(30)
);

INSERT INTO regioni VALUES (1, 'Lombardia');
INSERT INTO regioni VALUES (2, 'Lazio');
INSERT INTO regioni VALUES (3, 'Emilia-Romagna');
INSERT INTO regioni VALUES (4, 'Puglia');
INSERT INTO regioni VALUES (5, 'Sicilia');
