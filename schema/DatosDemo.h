#pragma once
// Sample rows of the databases that CreaBaseDatos, CreaBaseTaldemar and
// CreaBaseHalvenbook build. Each function runs in one transaction of its own
// and inserts through prepared statements.

class TFIBDatabase;

// Catalogues, administrator, a second user, four communities with owners,
// properties (coefficients adding up to 100 per community) and addresses,
// text templates, matters, a planned day and one convocation with its agenda,
// vote and tally rows.
void InsertaDemoPrograma(TFIBDatabase& db);

// The same register as the program's demo, with financial years, periods and
// owners' balances (some owners in debt).
void InsertaDemoTaldemar(TFIBDatabase& db);

// Budgets, calls and errands, and today's appointments of user 1.
void InsertaDemoHalvenbook(TFIBDatabase& db);

// comunidades x propietarios owners with fincas properties each and one
// address, coefficients adding up to 100 per community.
void InsertaSintetico(TFIBDatabase& db, int comunidades, int propietarios, int fincas);
