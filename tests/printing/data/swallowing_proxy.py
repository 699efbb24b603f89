#!/usr/bin/python3
"""A scheduler that accepts a job and then goes silent: listens on loopback,
hands each connection to the real scheduler's socket, forwards the first
LIMIT bytes the client sends and swallows the rest; the scheduler's answers
all go back. Prints its port once it listens.

usage: swallowing_proxy.py SCHEDULER_SOCKET LIMIT
"""
import socket
import sys
import threading

target, limit = sys.argv[1], int(sys.argv[2])


def client_to_scheduler(client, scheduler):
    passed = 0
    try:
        while True:
            data = client.recv(65536)
            if not data:
                break
            if passed < limit:
                scheduler.sendall(data[: limit - passed])
                passed += len(data)
    except OSError:
        pass


def scheduler_to_client(scheduler, client):
    try:
        while True:
            data = scheduler.recv(65536)
            if not data:
                break
            client.sendall(data)
    except OSError:
        pass
    finally:
        client.close()


def serve(client):
    scheduler = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    scheduler.connect(target)
    threading.Thread(target=scheduler_to_client, args=(scheduler, client), daemon=True).start()
    client_to_scheduler(client, scheduler)


listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
listener.bind(("127.0.0.1", 0))
listener.listen(16)
print(listener.getsockname()[1], flush=True)
while True:
    conn, _ = listener.accept()
    threading.Thread(target=serve, args=(conn,), daemon=True).start()
