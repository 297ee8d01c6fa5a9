// A PraxoLib.dll without the entry points, for the bridge's tests.
extern "C" {
int PraxoLibSemPontosDeEntrada = 1;
}
