create table PERIODO (DATAINICIAL date);
