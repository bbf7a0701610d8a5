/* The rows the program needs in a new database. @VERSION@ and @CLAVE@ are
   replaced by the program's version ("x.yz") and the built-in password of
   the automatic login when the database is created. */

/* Catalogue rows that owners and properties may point to but that no list
   shows. */
INSERT INTO SYS_BANCOS (ENTIDAD, NOMBRE) VALUES ('0000', 'SIN ENTIDAD');
INSERT INTO SYS_FORMAS_PAGO (CODIGO, NOMBRE) VALUES (0, 'SIN FORMA DE PAGO');
INSERT INTO SYS_TIPOS_FINCA (CODIGO, NOMBRE) VALUES (0, 'SIN TIPO');
INSERT INTO SYS_USO_FINCAS (CODIGO, NOMBRE) VALUES (0, 'SIN USO');
INSERT INTO SYS_IDIOMAS (CODIGO, NOMBRE) VALUES (1, 'CASTELLANO');

/* The single rows of the administrator and of the installation parameters. */
INSERT INTO ADMINISTRADOR (CODIGO) VALUES (1);
INSERT INTO SYS_PARAMETROS (CODIGO) VALUES (1);

/* The database's version, compared with the program's at start-up. */
INSERT INTO SYS_VERSION (CODIGO, VERSION, FECHA) VALUES (1, '@VERSION@', 'TODAY');

/* User 1, the administrator; the automatic login uses this password. */
INSERT INTO SYS_USUARIO (CODIGO, NOMBRE, CLAVE) VALUES (1, 'ADMINISTRADOR', '@CLAVE@');

/* Listings supplied with the program, called by code. Their statements
   expose the columns the callers' conditions name; their report formats are
   loaded separately. */
INSERT INTO SYS_LISTADOS (CODIGO, NOMBRE, SQL)
VALUES (9000, 'Listado juntas', 'SELECT * FROM VER_JUNTAS');
INSERT INTO SYS_LISTADOS (CODIGO, NOMBRE, SQL)
VALUES (9001, 'Imprimir votaciones', 'SELECT * FROM VER_VOTACIONES');
INSERT INTO SYS_LISTADOS (CODIGO, NOMBRE, SQL)
VALUES (9009, 'Listado citas', 'SELECT * FROM VER_CITAS');

COMMIT;
