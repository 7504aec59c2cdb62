turn += 2;
