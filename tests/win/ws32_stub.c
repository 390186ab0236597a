/* A stand-in for the socket library, so that the loader can be pointed at
   it: exports the names of the socket entry points but "recvfrom", the last
   the loader resolves. Nothing calls them. */
#define STUB(name) __declspec(dllexport) int name(void) { return 0; }

STUB(__WSAFDIsSet)
STUB(WSACleanup)
STUB(WSAStartup)
STUB(accept)
STUB(bind)
STUB(closesocket)
STUB(connect)
STUB(gethostname)
STUB(gethostbyaddr)
STUB(gethostbyname)
STUB(htonl)
STUB(htons)
STUB(inet_addr)
STUB(inet_ntoa)
STUB(listen)
STUB(ntohl)
STUB(ntohs)
STUB(select)
STUB(send)
STUB(sendto)
STUB(setsockopt)
STUB(socket)
STUB(shutdown)
STUB(recv)
