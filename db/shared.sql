create table NFISCAL (CODIGO integer not null primary key);
